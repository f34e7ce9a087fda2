// The wizard's dialog procedure: a switch that hands each message to a small
// handler; the pages, the bars and the installation sequence live apart.
#include "common/install_state.h"
#include "resources/resource_ids.h"
#include "wizard/destination_folder.h"
#include "wizard/install_sequence.h"
#include "wizard/wizard_pages.h"
#include "wizard/wizard_state.h"

namespace vorn {

WizardState wizardState = {-1, 1, 0};

namespace {

void OnShowWindow(HWND dialog)
{
    // On every show-window notification, shown or hidden.
    CentreOnDesktop(dialog);
    FocusControl(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, int id)
{
    const int page = wizardState.currentPage;
    switch (id) {
    case IDOK:
        if (page == Welcome) {
            ShowPage(dialog, License);
        } else if (page == License) {
            ShowPage(dialog, Options);
        } else if (page == Options) {
            RunInstall(dialog);
        } else {
            return 0;
        }
        return 1;
    case IDCANCEL:
        if (page == Finish)
            FinishWizard(dialog);
        else
            CancelOrAbort(dialog);
        return 1;
    case IDC_BROWSE:
        BrowseForDestination(dialog);
        return 0;
    }
    return 0;
}

// The close box, Alt+F4 and the system menu's Close act as button 2.
INT_PTR OnSysCommand(HWND dialog, WPARAM command)
{
    if ((command & 0xFFF0) != SC_CLOSE)
        return 0;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 1;
}

void OnTimer(HWND dialog, WPARAM timer)
{
    if (timer != IDT_EXTRACT)
        return;
    KillTimer(dialog, IDT_EXTRACT);
    PostMessageA(dialog, WM_EXTRACTSTEP, 0, 0);
}

}  // namespace

INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (static_cast<WORD>(message)) {
    case WM_INITDIALOG:
        wizardState.packageCrc = static_cast<uint32_t>(lParam);
        InitWizard(dialog);
        return 0;  // the focus is set when the dialog is shown
    case WM_SHOWWINDOW:
        OnShowWindow(dialog);
        return 0;
    case WM_PAINT:
        PaintWizard(dialog);
        return 0;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(dialog, wParam);
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return 0;
    case static_cast<WORD>(WM_EXTRACTSTEP):
        return RunPumpStep(dialog);
    }
    return 0;
}

}  // namespace vorn
