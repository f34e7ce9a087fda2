// Start-up decisions: the shell test and the optional 3-D controls library
// on old shells.
#include "shell/startup.h"

#include "common/process_handles.h"
#include "common/system_library.h"

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

}  // namespace

int IsNewShell(DWORD version)
{
    const int major = LOBYTE(LOWORD(version));
    const int minor = HIBYTE(LOWORD(version));
    if (major == 4)
        return 1;
    return minor >= 95 ? 1 : 0;
}

// The 3-D controls library comes from the system folder only, never by its
// bare name, which would search the installer's own folder first.
void LoadCtl3d()
{
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    ctl3d.library = LoadSystemLibrary("Ctl3d32.dll");
    if (!ctl3d.library)
        return;
    ctl3d.registerApp = EntryPoint<InstanceCall>(ctl3d.library, "Ctl3dRegister");
    ctl3d.unregisterApp = EntryPoint<InstanceCall>(ctl3d.library, "Ctl3dUnregister");
    ctl3d.autoSubclass = EntryPoint<InstanceCall>(ctl3d.library, "Ctl3dAutoSubclass");
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
