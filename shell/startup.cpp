// Start-up decisions: the shell test, the library search path, and the
// optional 3-D controls library on old shells.
#include "shell/startup.h"

#include "common/process_handles.h"

namespace vorn {
namespace {

using InstanceCall = BOOL(WINAPI*)(HINSTANCE);

struct Ctl3d {
    HMODULE library;  // null: 3-D controls are not in use
    InstanceCall registerApp;
    InstanceCall unregisterApp;
    InstanceCall autoSubclass;
};

Ctl3d ctl3d;

constexpr DWORD kSearchSystem32 = 0x800;         // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kAlteredSearchPath = 0x8;        // LOAD_WITH_ALTERED_SEARCH_PATH
constexpr char kCtl3dName[] = "\\Ctl3d32.dll";

template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int IsNewShell(DWORD version)
{
    const int major = LOBYTE(LOWORD(version));
    const int minor = HIBYTE(LOWORD(version));
    if (major == 4)
        return 1;
    return minor >= 95 ? 1 : 0;
}

// An installer runs from a downloads folder, where anyone can leave a library
// under a system library's name: libraries are taken from the system
// directory only. Both calls are looked up, so that systems without them
// still start.
void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    if (auto setDefault = Lookup<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories"))
        if (setDefault(kSearchSystem32))
            return;
    if (auto setDirectory = Lookup<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA"))
        setDirectory("");  // at least the current directory leaves the search
}

// The 3-D controls library is loaded by its full path in the system
// directory, never by its bare name, which would search the installer's own
// folder first.
void LoadCtl3d()
{
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    char path[MAX_PATH + sizeof kCtl3dName];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(path, kCtl3dName);
    ctl3d.library = LoadLibraryExA(path, nullptr, kAlteredSearchPath);
    if (!ctl3d.library)
        return;
    ctl3d.registerApp = Lookup<InstanceCall>(ctl3d.library, "Ctl3dRegister");
    ctl3d.unregisterApp = Lookup<InstanceCall>(ctl3d.library, "Ctl3dUnregister");
    ctl3d.autoSubclass = Lookup<InstanceCall>(ctl3d.library, "Ctl3dAutoSubclass");
    if (!ctl3d.registerApp || !ctl3d.unregisterApp || !ctl3d.autoSubclass) {
        FreeLibrary(ctl3d.library);
        ctl3d = {};
        return;
    }
    ctl3d.registerApp(appInstance);
    ctl3d.autoSubclass(appInstance);
}

void UnloadCtl3d()
{
    if (!ctl3d.library)
        return;
    ctl3d.unregisterApp(appInstance);
    FreeLibrary(ctl3d.library);
    ctl3d = {};
}

}  // namespace vorn
