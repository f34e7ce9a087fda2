// Checked, all-or-nothing file output for the packer.
#include "packer/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorn {
namespace {

std::string Reason(const std::string& path, const char* what, int code)
{
    return path + ": " + what + ": " + strerror(code);
}

// Writes all bytes to an open stream and closes it: every write, the flush,
// the sync to the disk and the close are checked, so that a full disk is
// seen here and not after the rename. False with the reason; the stream is
// closed in every case.
bool WriteAndClose(FILE* f, const std::string& path, const Bytes& bytes, std::string* error)
{
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && fflush(f) == 0 &&
              fsync(fileno(f)) == 0;
    int code = errno;
    if (fclose(f) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok)
        *error = Reason(path, "cannot write", code);
    return ok;
}

// A new file of a unique name "<folder>/.<name>.XXXXXX", opened for writing,
// with the permissions an ordinary new file gets (mkstemp makes it 0600).
FILE* CreateTemporary(const std::string& folder, const std::string& name, std::string* path, std::string* error)
{
    std::string pattern = folder + "/." + name + ".XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        *error = Reason(folder + "/" + name, "cannot create a temporary file", errno);
        return nullptr;
    }
    *path = pattern;
    mode_t mask = umask(0);
    umask(mask);
    FILE* f = fchmod(fd, 0666 & ~mask) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!f) {
        *error = Reason(*path, "cannot write", errno);
        close(fd);
        unlink(path->c_str());
    }
    return f;
}

bool IsFolder(const std::string& path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// Creates folder and its missing parents; those created, outermost first, go
// to created so that a failure can take them away again.
bool CreateFolders(const std::string& folder, std::vector<std::string>* created, std::string* error)
{
    std::vector<std::string> missing;
    for (std::string p = folder; !p.empty() && !IsFolder(p);) {
        missing.push_back(p);
        size_t slash = p.find_last_of('/');
        p = slash == std::string::npos ? "" : p.substr(0, slash);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (mkdir(it->c_str(), 0777) != 0) {
            *error = Reason(*it, "cannot create the folder", errno);
            return false;
        }
        created->push_back(*it);
    }
    return true;
}

void RemoveFolders(const std::vector<std::string>& created)
{
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        rmdir(it->c_str());
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string* error)
{
    std::string temporary = path + ".partial";
    FILE* f = fopen(temporary.c_str(), "wb");
    if (!f) {
        *error = Reason(path, "cannot write", errno);
        return false;
    }
    bool ok = WriteAndClose(f, path, bytes, error);
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        *error = Reason(path, "cannot write", errno);
        ok = false;
    }
    if (!ok)
        remove(temporary.c_str());
    return ok;
}

bool WriteFilesIntoFolder(const std::string& folderGiven, const std::vector<FolderFile>& files, bool replace,
                          std::string* error)
{
    std::string folder = folderGiven;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty()) {
        *error = "no folder given";
        return false;
    }
    struct stat s;
    if (stat(folder.c_str(), &s) == 0 && !S_ISDIR(s.st_mode)) {
        *error = folder + ": not a folder";
        return false;
    }
    // Refusals first, so that a refused run writes nothing. (A file that
    // appears between this look and the rename is replaced: the packer is
    // not meant to race other writers in the same folder.)
    for (const FolderFile& file : files) {
        std::string path = folder + "/" + file.name;
        if (lstat(path.c_str(), &s) != 0)
            continue;
        if (S_ISDIR(s.st_mode)) {
            *error = path + ": a folder is in the way";
            return false;
        }
        if (!replace) {
            *error = path + ": already exists, not replaced";
            return false;
        }
    }

    std::vector<std::string> created, temporaries;
    bool ok = CreateFolders(folder, &created, error);
    for (size_t i = 0; ok && i < files.size(); ++i) {
        std::string temporary;
        FILE* f = CreateTemporary(folder, files[i].name, &temporary, error);
        ok = f != nullptr;
        if (ok) {
            temporaries.push_back(temporary);
            ok = WriteAndClose(f, folder + "/" + files[i].name, *files[i].bytes, error);
        }
    }
    size_t renamed = 0;
    for (; ok && renamed < temporaries.size(); ++renamed) {
        std::string path = folder + "/" + files[renamed].name;
        if (rename(temporaries[renamed].c_str(), path.c_str()) != 0) {
            *error = Reason(path, "cannot rename the written file into place", errno);
            ok = false;
            break;
        }
    }
    if (ok)
        return true;
    for (size_t i = renamed; i < temporaries.size(); ++i)
        unlink(temporaries[i].c_str());
    // Files renamed before the failure were new unless replace was given;
    // replaced files cannot be brought back, so those stay, complete.
    if (!replace)
        for (size_t i = 0; i < renamed; ++i)
            unlink((folder + "/" + files[i].name).c_str());
    RemoveFolders(created);
    return false;
}

}  // namespace vorn
