// The hidden main window: a zero-sized popup whose procedure runs the wizard
// dialog modally and then closes the window, which ends the message loop.
#include "shell/main_window.h"

#include "common/process_handles.h"
#include "package_crc.h"  // generated with the package: vorn::ExpectedPackageCrc
#include "resources/resource_ids.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

constexpr char kWindowTitle[] = "Vorn v5.82 32bit Installation";  // also the class name
constexpr char kWizardTemplate[] = "INSTALL_DLG";

void OpenWizard(HWND window)
{
    // The wizard checks the package against the CRC compiled in here.
    if (DialogBoxParamA(appInstance, kWizardTemplate, mainWindow, WizardDialogProc,
                        static_cast<LPARAM>(ExpectedPackageCrc)) == -1)
        MessageBoxA(nullptr, "Unable to display dialog", "System Error", MB_SYSTEMMODAL | MB_ICONHAND);
    SetTimer(window, kCloseTimer, kCloseDelayMs, nullptr);
}

// The close timer is the window's only timer.
void OnCloseTimer(HWND window)
{
    KillTimer(window, kCloseTimer);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

bool RegisterMainClass()
{
    WNDCLASSA wc = {};
    wc.style = CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = appInstance;
    wc.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_VORN));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kWindowTitle;
    return RegisterClassA(&wc) != 0;
}

bool CreateMainWindow()
{
    mainWindow = CreateWindowExA(0, kWindowTitle, kWindowTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0,
                                 0, nullptr, nullptr, appInstance, nullptr);
    return mainWindow != nullptr;
}

}  // namespace vorn

extern "C" LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case vorn::WM_OPENWIZARD:
        vorn::OpenWizard(window);
        return 0;
    case WM_TIMER:
        vorn::OnCloseTimer(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
