// The run's own temporary file for one member's bytes.
#include "package/temp_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "package/file_ops.h"

namespace vorn {
namespace {

constexpr unsigned kNameCount = 0x10000;  // four hex digits

// Names refused as "access denied" that one search passes over before it
// gives up. Windows answers so for a name whose file awaits deletion (one
// deleted while a virus scanner or an indexer still holds it: for a while
// the name is taken, and GetFileAttributesA does not find it either), and for
// a folder of that name; but also for every name in a folder that refuses new
// files, where the run must end with its box rather than after 65536 tries.
// Sixteen is far more than the files that scanners hold at one time.
constexpr unsigned kDeniedLimit = 16;

// The next name to try. The first search starts at a name made from the
// process id and the clock, different for two runs started together; each
// later one starts after the last name tried, so that a member never meets
// the name its predecessor just deleted, which may still await deletion.
unsigned nextName;
bool nextNameSet;

// The Windows temporary folder, with its trailing backslash. A folder longer
// than the buffer comes back as the size it needs, with nothing in the
// buffer: that counts as no temporary folder at all.
void TempFolder(char* folder)
{
    DWORD n = GetTempPathA(kTempFolderSize, folder);
    if (n == 0 || n >= static_cast<DWORD>(kTempFolderSize))
        lstrcpyA(folder, kTempFallbackFolder);
}

// Creating the path failed because a file of that name is there (another
// run's, or one a crashed run left; a sharing violation when its holder
// shares nothing).
bool NameTaken(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_SHARING_VIOLATION;
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
    if (!nextNameSet) {
        nextName = GetCurrentProcessId() * 40503u ^ GetTickCount();
        nextNameSet = true;
    }
    char candidate[kTempPathSize];
    unsigned denied = 0;
    for (unsigned k = 0; k < kNameCount; ++k) {
        wsprintfA(candidate, kTempNameForm, folder, nextName++ & (kNameCount - 1));
        // CREATE_NEW never opens a file that is there already. Sharing only
        // reading lets the run's own decode read it by its path, and keeps
        // every other writer, a rename and a delete out while it is open.
        HANDLE file = CreateFileA(candidate, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED ? ++denied <= kDeniedLimit : NameTaken(error))
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
