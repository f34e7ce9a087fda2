// The packer's file-system calls on Windows (ANSI forms throughout).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "packer/fs/file_system.h"

namespace vorn::fs {
namespace {

// A handle to what lies at path itself (a link is not followed), for its identity.
HANDLE OpenForIdentity(const std::string& path)
{
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IdentityOf(HANDLE h, FileId* id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info))
        return false;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

// Eight hex digits that differ from call to call and from process to process.
std::string UniqueSuffix()
{
    static DWORD counter = 0;
    DWORD mix = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ (++counter * 0x9E3779B9u);
    char text[9];
    snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(mix));
    return text;
}

bool IsExistsCode(DWORD code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

}  // namespace

const char kSeparator = '\\';

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t RootLength(const std::string& path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share\: the server and the share name belong to the root.
        size_t n = 2;
        for (int part = 0; part < 2; ++part) {
            while (n < path.size() && !IsSeparator(path[n]))
                ++n;
            if (n < path.size())
                ++n;
        }
        return n;
    }
    size_t n = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    if (n < path.size() && IsSeparator(path[n]))
        ++n;
    return n;
}

Kind KindAt(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Kind::Missing : Kind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::Other;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CreateFresh(const std::string& prefix, NewFile* file)
{
    // CREATE_NEW refuses any existing entry; with OPEN_REPARSE_POINT a link
    // at the name counts as one and is never followed.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = prefix + UniqueSuffix();
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (IsExistsCode(code))
                continue;
            return static_cast<int>(code);
        }
        if (!IdentityOf(h, &file->id)) {
            DWORD code = GetLastError();
            CloseHandle(h);
            DeleteFileA(path.c_str());
            return static_cast<int>(code);
        }
        file->handle = reinterpret_cast<intptr_t>(h);
        file->path = path;
        return 0;
    }
    return ERROR_FILE_EXISTS;
}

int WriteAndSync(const NewFile& file, const Bytes& bytes)
{
    HANDLE h = reinterpret_cast<HANDLE>(file.handle);
    for (size_t done = 0; done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - done > (1u << 30) ? (1u << 30) : bytes.size() - done);
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
    }
    return FlushFileBuffers(h) ? 0 : static_cast<int>(GetLastError());
}

int Close(NewFile* file)
{
    HANDLE h = reinterpret_cast<HANDLE>(file->handle);
    file->handle = -1;
    return CloseHandle(h) ? 0 : static_cast<int>(GetLastError());
}

int Rename(const std::string& from, const std::string& to, bool replace)
{
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(from.c_str(), to.c_str(), flags) ? 0 : static_cast<int>(GetLastError());
}

bool IsAlreadyExists(int code) { return IsExistsCode(static_cast<DWORD>(code)); }

bool IsSameFile(const std::string& path, const FileId& id)
{
    HANDLE h = OpenForIdentity(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FileId now;
    bool same = IdentityOf(h, &now) && now.volume == id.volume && now.index == id.index;
    CloseHandle(h);
    return same;
}

int RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) ? 0 : static_cast<int>(GetLastError());
}

int MakeFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) ? 0 : static_cast<int>(GetLastError());
}

int RemoveFolder(const std::string& path)
{
    return RemoveDirectoryA(path.c_str()) ? 0 : static_cast<int>(GetLastError());
}

std::string ErrorText(int code)
{
    char text[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    // The system's texts end in a full stop and a line break; one line is wanted.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.' || text[n - 1] == ' '))
        --n;
    if (n == 0)
        return "error " + std::to_string(code);
    return std::string(text, n);
}

FILE* OpenScratchFile(std::string* path, std::string* error)
{
    char folder[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) {
        *error = "cannot find the temporary folder: " + ErrorText(static_cast<int>(GetLastError()));
        return nullptr;
    }
    // Deleted by the system when its last handle closes, whatever happens.
    HANDLE h = INVALID_HANDLE_VALUE;
    std::string name;
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE && IsExistsCode(code); ++attempt) {
        name = std::string(folder) + "vornpack-" + UniqueSuffix() + ".tmp";
        h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        code = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    }
    if (h == INVALID_HANDLE_VALUE) {
        *error = "cannot create a temporary file in " + std::string(folder) + ": " +
                 ErrorText(static_cast<int>(code));
        return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
    FILE* f = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
    if (!f) {
        *error = "cannot open the temporary file " + name;
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(h);
        return nullptr;
    }
    *path = name;
    return f;
}

}  // namespace vorn::fs
