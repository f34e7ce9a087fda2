// The installer's entry point: start-up, the process's only message loop
// (the wizard runs inside it), teardown and the completion actions.
#include <windows.h>
#include <ddeml.h>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "common/system_library.h"
#include "shell/completion_actions.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shellint/program_group.h"

namespace {

void RunMessageLoop()
{
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0)
            return;  // WM_QUIT
        if (result == -1)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

// The command line is ignored. Every path returns 0.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    using namespace vorn;
    appInstance = instance;
    RestrictLibrarySearch();
    if (!RegisterMainClass() || !CreateMainWindow())
        return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    installSettings.newShell = IsNewShell(GetVersion());
    if (!installSettings.newShell)
        LoadCtl3d();
    // A failure leaves ddeInstance at 0; the Program Manager group then fails.
    DdeInitializeA(&ddeInstance, DdeCallback, 0, 0);
    installSettings.wizardFinished = 0;
    PostMessageA(mainWindow, WM_OPENWIZARD, 0, 0);
    RunMessageLoop();

    if (ddeInstance != 0)
        DdeUninitialize(ddeInstance);
    UnloadCtl3d();
    RunCompletionActions();
    return 0;
}
