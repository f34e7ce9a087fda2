// The run's own temporary file for one member's bytes.
#include "package/temp_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "package/file_ops.h"

namespace vorn {
namespace {

constexpr unsigned kNameCount = 0x10000;  // four hex digits

// Where the search for a free name starts: fixed for the process, so every
// member of a run tries the same names first, and different for two runs
// started together, whose process ids differ.
unsigned firstName;
bool firstNameSet;

unsigned FirstName()
{
    if (!firstNameSet) {
        firstName = (GetCurrentProcessId() * 40503u ^ GetTickCount()) & (kNameCount - 1);
        firstNameSet = true;
    }
    return firstName;
}

// The Windows temporary folder, with its trailing backslash. A folder longer
// than the buffer comes back as the size it needs, with nothing in the
// buffer: that counts as no temporary folder at all.
void TempFolder(char* folder)
{
    DWORD n = GetTempPathA(kTempFolderSize, folder);
    if (n == 0 || n >= static_cast<DWORD>(kTempFolderSize))
        lstrcpyA(folder, kTempFallbackFolder);
}

// Creating the path failed only because something of that name is there: a
// file (another run's, or one a crashed run left; a sharing violation when
// its holder shares nothing), or a folder or a file awaiting deletion, which
// answer "access denied".
bool NameTaken(const char* path)
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_SHARING_VIOLATION ||
           (error == ERROR_ACCESS_DENIED && PathExists(path));
}

// The handle as a buffered byte stream for writing; the handle is closed when
// that fails.
FILE* StreamOn(HANDLE file)
{
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        CloseHandle(file);
        return nullptr;
    }
    FILE* stream = _fdopen(fd, "wb");
    if (!stream)
        _close(fd);
    return stream;
}

}  // namespace

FILE* CreateTempFile(char* path)
{
    path[0] = '\0';
    char folder[kTempFolderSize];
    TempFolder(folder);
    char candidate[kTempPathSize];
    for (unsigned k = 0; k < kNameCount; ++k) {
        wsprintfA(candidate, kTempNameForm, folder, (FirstName() + k) & (kNameCount - 1));
        // CREATE_NEW never opens a file that is there already. Sharing only
        // reading lets the run's own decode read it by its path, and keeps
        // every other writer, a rename and a delete out while it is open.
        HANDLE file = CreateFileA(candidate, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (NameTaken(candidate))
                continue;
            return nullptr;  // the folder cannot take a file: no other name will do better
        }
        FILE* stream = StreamOn(file);
        if (!stream) {
            DeleteWithRetry(candidate);  // this run's own, just made
            return nullptr;
        }
        lstrcpyA(path, candidate);
        return stream;
    }
    return nullptr;
}

void DeleteTempFile(FILE*& stream, char* path)
{
    CloseStream(stream);
    if (path[0])
        DeleteWithRetry(path);
    path[0] = '\0';
}

}  // namespace vorn
