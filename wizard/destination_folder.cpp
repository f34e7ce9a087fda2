// The destination folder: the proposal at start-up, and the folder picker,
// which is the old-style Open dialog with its own template: the file controls
// stay hidden and an edit field proposes the current folder with "\vorn".
#include "wizard/destination_folder.h"

#include <commdlg.h>
#include <direct.h>
#include <cstring>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "common/system_library.h"
#include "package/member_path.h"
#include "resources/resource_ids.h"
#include "wizard/wizard_pages.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

constexpr int kWorkSize = 900;
constexpr char kInstallFolderName[] = "Vorn";
constexpr char kProposedName[] = "vorn";
constexpr char kPickerTitle[] = "Vorn Select Folder";
// The picker's file-name field holds this dummy name so that OK always
// presents the dialog with a plain file name and closes it.
constexpr char kDummyFileName[] = "JUNK!";

// Cuts a path after its drive root ("d:\").
void CutToRoot(char* path)
{
    if (strlen(path) > 3)
        path[3] = '\0';
}

}  // namespace

void SetDefaultFolder(HWND dialog)
{
    char path[kWorkSize] = {};
    GetModuleFileNameA(appInstance, path, kWorkSize - 1);
    CharLowerA(path);
    CutToRoot(path);
    char windows[kWorkSize];
    if (GetDriveTypeA(path) != DRIVE_FIXED && GetWindowsDirectoryA(windows, kWorkSize) != 0) {
        // Not run from a fixed disk (a CD-ROM, a floppy): the Windows drive,
        // which also becomes the current drive.
        PathParts parts;
        SplitPath(windows, &parts);
        wsprintfA(path, "%s\\", parts.drive);
        CharLowerA(path);
        if (path[0] >= 'a' && path[0] <= 'z')
            _chdrive(path[0] - 'a' + 1);  // _chdrive counts drive A as 1
    }
    lstrcatA(path, kInstallFolderName);
    SetDlgItemTextA(dialog, IDC_FOLDER, path);
}

bool BrowseForFolder(HWND owner)
{
    if (wizardState.firstBrowse) {
        CutToRoot(installSettings.folder);
        wizardState.firstBrowse = 0;
    }
    // A file buffer that holds the dummy name: without one, the dialog may
    // replace the template's dummy with a filter and never close on OK.
    char fileName[kFolderSize];
    lstrcpyA(fileName, kDummyFileName);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes, the classic record
    ofn.hwndOwner = owner;
    ofn.hInstance = appInstance;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = sizeof fileName;
    ofn.lpstrInitialDir = installSettings.folder;
    ofn.lpstrTitle = kPickerTitle;
    ofn.Flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn.lpfnHook = FileHook;
    ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_FOLDER_PICKER);
    // The common dialogs are loaded at the first Browse, from the system
    // folder (see LoadSystemLibrary); without them Browse fails as the
    // dialog's failure would, and the folder stays.
    using OpenDialogCall = decltype(&GetOpenFileNameA);
    auto openDialog = EntryPoint<OpenDialogCall>(LoadSystemLibrary("comdlg32.dll"), "GetOpenFileNameA");
    return openDialog && openDialog(&ofn) != 0;
}

void SyncFolderEdit(HWND picker)
{
    char* folder = installSettings.folder;
    GetDlgItemTextA(picker, IDC_PICKER_CURRENT, folder, kFolderSize);
    const size_t n = strlen(folder);
    CharLowerA(folder);
    if (n <= 1) {
        // No current folder shown: beside the installer itself.
        char path[kWorkSize] = {};
        GetModuleFileNameA(appInstance, path, kFolderSize - 1);
        PathParts parts;
        SplitPath(path, &parts);
        char proposal[kWorkSize];
        wsprintfA(proposal, "%s%s%s", parts.drive, parts.directory, kProposedName);
        lstrcpynA(folder, proposal, kFolderSize);
    } else if (!strstr(folder, "\\vorn")) {
        // A current folder too long to take "\vorn" within the buffer is
        // proposed unchanged rather than cut.
        const char* tail = folder[n - 1] == '\\' ? "vorn" : "\\vorn";
        if (n + strlen(tail) < static_cast<size_t>(kFolderSize))
            lstrcatA(folder, tail);
    }
    SetDlgItemTextA(picker, IDC_PICKER_FOLDER, folder);
}

void CentreOnDesktop(HWND window)
{
    RECT d, w;
    GetWindowRect(GetDesktopWindow(), &d);
    GetWindowRect(window, &w);
    const int height = w.bottom - w.top, width = w.right - w.left;
    int y = d.top + (d.bottom - d.top) / 2 - height / 2;
    int x = d.left + (d.right - d.left) / 2 - width / 2;
    if (y + height > d.bottom - 10)
        y = d.bottom - 10 - height;
    if (x + width > d.right - 10)
        x = d.right - 10 - width;
    if (y < 0)
        y = 1;
    if (x < 0)
        x = 1;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace vorn

namespace {

void OnPickerShown(HWND picker)
{
    vorn::SyncFolderEdit(picker);
    // The dialog manager selects the whole folder as it gives the focus;
    // taking the selection away leaves the caret at the end, and the end is
    // scrolled into view.
    vorn::FocusControl(picker, IDC_PICKER_FOLDER);
    HWND edit = GetDlgItem(picker, IDC_PICKER_FOLDER);
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    vorn::CentreOnDesktop(picker);
}

void OnPickerCommand(HWND picker, WPARAM wParam)
{
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDOK) {
        GetDlgItemTextA(picker, IDC_PICKER_FOLDER, vorn::installSettings.folder, vorn::kFolderSize);
    } else if (id == IDC_PICKER_CURRENT && code == EN_CHANGE) {
        vorn::SyncFolderEdit(picker);  // the dialog moved to another folder
    } else if ((id == IDC_PICKER_FOLDERS || id == IDC_PICKER_DRIVES) && (code == 1 || code == 2)) {
        vorn::SyncFolderEdit(picker);  // selection change or double click
    }
}

}  // namespace

extern "C" UINT_PTR CALLBACK FileHook(HWND picker, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_SHOWWINDOW:
        OnPickerShown(picker);
        break;
    case WM_COMMAND:
        OnPickerCommand(picker, wParam);
        break;
    }
    return 0;
}
