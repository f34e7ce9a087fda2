// The packer's file-system calls on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "packer/fs/file_system.h"

namespace vorn::fs {

const char kSeparator = '/';

bool IsSeparator(char c) { return c == '/'; }

size_t RootLength(const std::string& path)
{
    size_t n = 0;
    while (n < path.size() && path[n] == '/')
        ++n;
    return n;
}

Kind KindAt(const std::string& path)
{
    struct stat s;
    if (lstat(path.c_str(), &s) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Other;
    return S_ISDIR(s.st_mode) ? Kind::Folder : Kind::Other;
}

bool IsFolder(const std::string& path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

int CreateFresh(const std::string& prefix, NewFile* file)
{
    // mkstemp opens with O_CREAT|O_EXCL, which refuses any existing entry,
    // a link included, so nothing planted at the name is ever followed.
    std::string pattern = prefix + "XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return errno;
    // mkstemp makes the file 0600; the output is an ordinary file.
    mode_t mask = umask(0);
    umask(mask);
    struct stat s;
    if (fchmod(fd, 0666 & ~mask) != 0 || fstat(fd, &s) != 0) {
        int code = errno;
        close(fd);
        unlink(pattern.c_str());
        return code;
    }
    file->handle = fd;
    file->path = pattern;
    file->id = {static_cast<uint64_t>(s.st_dev), static_cast<uint64_t>(s.st_ino)};
    return 0;
}

int WriteAndSync(const NewFile& file, const Bytes& bytes)
{
    const int fd = static_cast<int>(file.handle);
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += static_cast<size_t>(n);
    }
    return fsync(fd) == 0 ? 0 : errno;
}

int Close(NewFile* file)
{
    int fd = static_cast<int>(file->handle);
    file->handle = -1;
    return close(fd) == 0 ? 0 : errno;
}

int Rename(const std::string& from, const std::string& to, bool replace)
{
    if (replace)
        return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // A file system without the no-replace rename: a second name made with
    // link (which never replaces), then the first one taken away.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    unlink(from.c_str());
    return 0;
}

bool IsAlreadyExists(int code) { return code == EEXIST; }

bool IsSameFile(const std::string& path, const FileId& id)
{
    struct stat s;
    return lstat(path.c_str(), &s) == 0 && static_cast<uint64_t>(s.st_dev) == id.volume &&
           static_cast<uint64_t>(s.st_ino) == id.index;
}

int RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0 ? 0 : errno; }

int MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

int RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0 ? 0 : errno; }

std::string ErrorText(int code) { return strerror(code); }

FILE* OpenScratchFile(std::string* path, std::string* error)
{
    // $TMPDIR, else /tmp (tmpfile() would ignore $TMPDIR); unlinked at once
    // so that the file goes with its stream whatever happens.
    const char* tmpdir = getenv("TMPDIR");
    std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string name = folder + "/vornpack-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) {
        *error = "cannot create a temporary file in " + folder + ": " + strerror(errno);
        return nullptr;
    }
    unlink(name.c_str());
    FILE* f = fdopen(fd, "w+b");
    if (!f) {
        *error = "cannot open the temporary file " + name + ": " + strerror(errno);
        close(fd);
        return nullptr;
    }
    *path = name;
    return f;
}

}  // namespace vorn::fs
