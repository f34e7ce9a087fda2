// A stand-in "Ctl3d32.dll" that only records that it was loaded: on process
// attach it appends the loading program's path to the file named by
// VORN_CTL3D_RECORD. It exports the three entry points an installer looks up.
#include <windows.h>

extern "C" {
__declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE) { return TRUE; }
__declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE) { return TRUE; }
__declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE) { return TRUE; }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char record[MAX_PATH];
    if (!GetEnvironmentVariableA("VORN_CTL3D_RECORD", record, sizeof record))
        return TRUE;
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, "loaded by ", 10, &written, nullptr);
        WriteFile(file, program, length, &written, nullptr);
        WriteFile(file, "\r\n", 2, &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
