// The hidden main window: a zero-sized popup whose procedure runs the wizard
// dialog modally and then closes the window, which ends the message loop.
#include "shell/main_window.h"

#include "common/process_handles.h"
#include "common/raw_data.h"
#include "resources/resource_ids.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

constexpr char kWindowTitle[] = "Vorn v5.82 32bit Installation";  // also the class name
constexpr char kWizardTemplate[] = "INSTALL_DLG";

// The CRC the package must have, from the CRC slot that the packer filled in
// (four bytes: the packer takes no stub whose slot has another size); 0 when
// the slot is missing or of another size in a file changed since, which no
// sound package matches.
uint32_t CarriedPackageCrc()
{
    DWORD size;
    const uint32_t* slot = static_cast<const uint32_t*>(LockRawData(IDR_PACKAGE_CRC, &size));
    return slot && size == sizeof *slot ? *slot : 0;
}

void OpenWizard(HWND window)
{
    // The wizard checks the package against the CRC the installer carries.
    if (DialogBoxParamA(appInstance, kWizardTemplate, mainWindow, WizardDialogProc,
                        static_cast<LPARAM>(CarriedPackageCrc())) == -1)
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
