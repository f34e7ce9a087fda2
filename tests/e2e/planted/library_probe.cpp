// A stand-in library that only records that it was loaded: on process attach
// it appends "<its own path> loaded by <the program's path>" to the file
// named by VORN_LIBRARY_RECORD. Planted under a system library's name, it
// shows which programs take that name from where it lies. It uses kernel32
// alone and no C runtime (its entry is the one the linker looks for), so
// that it loads wherever it is found.
#include <windows.h>

namespace {

void Append(HANDLE file, const char* text, DWORD length)
{
    DWORD written;
    WriteFile(file, text, length, &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char record[MAX_PATH];
    if (!GetEnvironmentVariableA("VORN_LIBRARY_RECORD", record, sizeof record))
        return TRUE;
    char library[MAX_PATH], program[MAX_PATH];
    DWORD libraryLength = GetModuleFileNameA(self, library, sizeof library);
    DWORD programLength = GetModuleFileNameA(nullptr, program, sizeof program);
    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return TRUE;
    Append(file, library, libraryLength);
    Append(file, " loaded by ", 11);
    Append(file, program, programLength);
    Append(file, "\r\n", 2);
    CloseHandle(file);
    return TRUE;
}
