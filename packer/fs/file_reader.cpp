// Whole files read in blocks, every failure named.
#include "packer/fs/file_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "packer/fs/file_system.h"

namespace vorn {

bool ReadFileBytes(const std::string& path, Bytes* bytes, std::string* error)
{
    bytes->clear();
    // A folder opens on some systems and not on others; either way it is
    // named for what it is.
    if (fs::IsFolder(path)) {
        *error = path + ": is a folder, not a file";
        return false;
    }
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    uint8_t block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    int code = errno;
    bool failed = ferror(f);
    fclose(f);
    if (failed)
        *error = path + ": cannot read: " + strerror(code);
    return !failed;
}

}  // namespace vorn
