// The wizard's pages: the control groups stacked below the visible area are
// moved into place once, then each page shows one group and hides the rest.
#include "wizard/wizard_pages.h"

#include <array>
#include <cstring>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "common/raw_data.h"
#include "resources/resource_ids.h"
#include "wizard/destination_folder.h"
#include "wizard/progress_display.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

constexpr char kWizardCaption[] = "Vorn v5.82 32bit Installation";
constexpr char kWelcomeText[] =
    "Welcome to the Vorn installation program! This program will install Vorn v5.82 32bit on your computer.";
constexpr int kLicenceBufferSize = 3000;
constexpr int kLicenceLimit = 2900;  // bytes of the licence shown at most
constexpr char kLicenceEnd[] = "***";

// The page groups in layout order; the Progress group is placed against
// control 156, so it must come after the Options group.
constexpr std::array<int, 5> kGroups = {IDC_WELCOME_FIRST, IDC_LICENSE_FIRST, IDC_OPTIONS_FIRST,
                                        IDC_STATUS, IDC_FINISH_FIRST};

struct PageRow {
    int shownGroup;
    const char* nextText;  // button 1; null: hidden and disabled, text left as it is
    bool nextEnabled;
    const char* cancelText;  // button 2, always shown and enabled
    int focus;
};

constexpr std::array<PageRow, 5> kPages = {{
    {IDC_WELCOME_FIRST, "&Next >", true, "Cancel", IDOK},
    {IDC_LICENSE_FIRST, "&Yes", true, "&No", IDC_LICENCE_TEXT},
    {IDC_OPTIONS_FIRST, "&Install", true, "Cancel", IDOK},
    {IDC_STATUS, "&Install", false, "Abort", IDCANCEL},
    {IDC_FINISH_FIRST, nullptr, false, "&Finish", IDCANCEL},
}};

// Top-left corner of a control in the dialog's client coordinates.
POINT ControlOrigin(HWND dialog, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(dialog, &p);
    return p;
}

void SetControl(HWND dialog, int id, bool shown, bool enabled)
{
    HWND control = GetDlgItem(dialog, id);
    ShowWindow(control, shown ? SW_SHOWNORMAL : SW_HIDE);
    EnableWindow(control, enabled);
}

// On the Progress page the folder texts and frame stay as the Options page
// showed them; Browse stays visible but disabled; the options go.
void KeepFolderPartOfOptions(HWND dialog)
{
    SetControl(dialog, IDC_BROWSE, true, false);
    for (int id = IDC_OPTIONS_LABEL; id <= IDC_READY_TEXT; ++id)
        SetControl(dialog, id, false, false);
}

}  // namespace

void InvalidateControl(HWND dialog, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    POINT p = {r.left, r.top};
    ScreenToClient(dialog, &p);
    RECT area = {p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
    InvalidateRect(dialog, &area, TRUE);
}

void FocusControl(HWND dialog, int id)
{
    // Through the dialog manager, not SetFocus: it also moves the default
    // along (a focused push button becomes the default one; elsewhere the
    // dialog's own default comes back), so Enter presses the button that has
    // the focus. Sent, not posted: the focus is in place when the caller
    // goes on (ShowPage's page is complete when it returns).
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    // It also selects all of an edit control's text, which scrolls the
    // licence to its end; the licence is shown from its beginning with
    // nothing selected.
    if (id == IDC_LICENCE_TEXT)
        SendMessageA(control, EM_SETSEL, 0, 0);
}

void InitWizard(HWND dialog)
{
    wizardDialog = dialog;
    ConnectExtractionUi();
    CheckDlgButton(dialog, IDC_MAKE_BACKUPS, BST_CHECKED);
    CheckDlgButton(dialog, IDC_KEEP_SETTINGS, BST_CHECKED);
    CheckDlgButton(dialog, IDC_CREATE_ICONS, BST_CHECKED);
    CheckDlgButton(dialog, IDC_READ_HELP, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_LAUNCH, BST_UNCHECKED);
    LoadWizardTexts(dialog);
    SetDefaultFolder(dialog);
    ShowPage(dialog, kLayoutPages);
}

void LoadWizardTexts(HWND dialog)
{
    SetWindowTextA(dialog, kWizardCaption);
    SetDlgItemTextA(dialog, IDC_WELCOME_FIRST, kWelcomeText);

    DWORD size;
    const char* bytes = static_cast<const char*>(LockRawData(IDR_LICENCE, &size));
    if (!bytes)
        return;  // the licence field stays empty
    char text[kLicenceBufferSize] = {};
    for (DWORD i = 0; i < size && i < kLicenceLimit && bytes[i] != '\0'; ++i)
        text[i] = bytes[i];
    text[kLicenceLimit] = '\0';
    if (char* end = strstr(text, kLicenceEnd))
        *end = '\0';
    SendDlgItemMessageA(dialog, IDC_LICENCE_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void MoveGroupIntoPlace(HWND dialog, int firstId)
{
    HWND first = GetDlgItem(dialog, firstId);
    POINT from = ControlOrigin(dialog, first);
    POINT to = {20, 20};
    if (firstId == IDC_WELCOME_FIRST) {
        to.y = 24;
    } else if (firstId == IDC_FINISH_FIRST) {
        to.y = 30;
    } else if (firstId == IDC_STATUS) {
        // Centred across the dialog, where the option boxes begin.
        RECT client, r;
        GetClientRect(dialog, &client);
        GetWindowRect(first, &r);
        to.x = (client.right - client.left) / 2 - (r.right - r.left) / 2;
        to.y = ControlOrigin(dialog, GetDlgItem(dialog, IDC_MAKE_BACKUPS)).y;
    }
    const int dx = to.x - from.x, dy = to.y - from.y;
    for (int id = firstId; HWND control = GetDlgItem(dialog, id); ++id) {
        POINT p = ControlOrigin(dialog, control);
        SetWindowPos(control, nullptr, p.x + dx, p.y + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
}

void ShowControlRun(HWND dialog, int firstId, int show)
{
    for (int id = firstId; HWND control = GetDlgItem(dialog, id); ++id) {
        if (id == IDC_MEMBER_BAR || id == IDC_MAIN_BAR)
            continue;  // only their rectangles are used, for the bars
        if (show) {
            EnableWindow(control, TRUE);
            ShowWindow(control, SW_SHOWNORMAL);
        } else {
            ShowWindow(control, SW_HIDE);
            EnableWindow(control, FALSE);
        }
    }
}

void ShowPage(HWND dialog, int page)
{
    if (page == kLayoutPages) {
        for (int group : kGroups)
            MoveGroupIntoPlace(dialog, group);
        for (int group : kGroups)
            ShowControlRun(dialog, group, 0);
        page = Welcome;
    }
    if (page < Welcome || page > Finish)
        return;
    wizardState.currentPage = page;
    ClearMainBar();
    SetDlgItemTextA(dialog, IDC_STATUS, "Scanning files...");
    InvalidateControl(dialog, IDC_MAIN_BAR);
    InvalidateControl(dialog, IDC_MEMBER_BAR);

    if (page == Finish)
        MessageBeep(0);
    const PageRow& row = kPages[page];
    for (int group : kGroups) {
        // The Progress page keeps the folder part of the Options group.
        if (group != row.shownGroup && !(page == Progress && group == IDC_OPTIONS_FIRST))
            ShowControlRun(dialog, group, 0);
    }
    if (page == Progress)
        KeepFolderPartOfOptions(dialog);
    ShowControlRun(dialog, row.shownGroup, 1);

    SetControl(dialog, IDC_BACK, false, false);
    if (row.nextText)
        SetDlgItemTextA(dialog, IDOK, row.nextText);
    SetControl(dialog, IDOK, row.nextText != nullptr, row.nextEnabled);
    SetDlgItemTextA(dialog, IDCANCEL, row.cancelText);
    SetControl(dialog, IDCANCEL, true, true);
    // The page's default button, which Enter presses while the focus is not
    // on a push button (a Finish-page box ticked from the keyboard, say):
    // Abort and Finish where the forward button is hidden or disabled.
    SendMessageA(dialog, DM_SETDEFID, row.focus == IDCANCEL ? IDCANCEL : IDOK, 0);
    FocusControl(dialog, row.focus);
    UpdateWindow(dialog);
}

void PaintWizard(HWND dialog)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    POINT at = ControlOrigin(dialog, GetDlgItem(dialog, IDC_ICON_PLACE));
    // Loaded anew for every paint and released at once.
    if (HICON icon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_SETUP))) {
        DrawIcon(dc, at.x, at.y, icon);
        DestroyIcon(icon);
    }
    if (IsWindowVisible(GetDlgItem(dialog, IDC_STATUS)))
        DrawMainBar(dc);
    EndPaint(dialog, &ps);
}

}  // namespace vorn
