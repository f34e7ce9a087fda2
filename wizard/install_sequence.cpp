// The installation sequence behind the wizard's buttons: Install, the abort
// question, one pump step per WM_EXTRACTSTEP, the Program Manager group with
// its retry question, Finish and Browse.
#include "wizard/install_sequence.h"

#include "common/install_state.h"
#include "common/process_handles.h"
#include "package/error_boxes.h"
#include "package/existing_files.h"
#include "package/extract_member.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/open_package.h"
#include "resources/resource_ids.h"
#include "shellint/program_group.h"
#include "wizard/destination_folder.h"
#include "wizard/progress_display.h"
#include "wizard/wizard_pages.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

constexpr char kAbortQuestion[] = "Are you sure you want to abort the installation?";
constexpr char kAbortCaption[] = "Vorn Installation Warning";

int Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

void PostPumpStep(HWND dialog)
{
    PostMessageA(dialog, WM_EXTRACTSTEP, 0, 0);
}

// Makes the Program Manager group, asking whether to retry while it fails.
// The question is owned by the main window.
void CreateIconsWithRetry()
{
    const ErrorBox* box = FindErrorBox(kErrorIconsNotCreated);
    while (!CreateProgramGroup()) {
        if (!box || MessageBoxA(mainWindow, box->text, box->caption, MB_ICONQUESTION | MB_YESNO) != IDYES)
            break;
    }
}

void PumpFinished(HWND dialog)
{
    if (extraction.memberIndex == 0) {
        // The file held no member at all.
        RollBack();
        if (const ErrorBox* box = FindErrorBox(kErrorNoMember))
            MessageBoxA(dialog, box->text, box->caption, MB_ICONERROR | MB_OK);
        EndDialog(dialog, 0);
        return;
    }
    if (wizardState.currentPage != Progress) {
        EndDialog(dialog, 1);
        return;
    }
    if (installSettings.createIcons)
        CreateIconsWithRetry();
    ShowPage(dialog, Finish);
}

}  // namespace

void RunInstall(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_FOLDER, installSettings.folder, kFolderSize);
    installSettings.makeBackups = Checked(dialog, IDC_MAKE_BACKUPS);
    installSettings.keepSettings = Checked(dialog, IDC_KEEP_SETTINGS);
    installSettings.createIcons = Checked(dialog, IDC_CREATE_ICONS);
    ShowPage(dialog, Progress);
    ResetExtraction();
    ShowScanStatus();
    DrawMainBar(nullptr);
    if (CreateDestinationFolder() == StepBackToOptions) {
        ShowPage(dialog, Options);  // box [1] has been shown
        return;
    }
    FocusControl(dialog, IDCANCEL);
    if (OpenPackage(wizardState.packageCrc))
        PostPumpStep(dialog);
    else
        EndDialog(dialog, 1);  // its box has been shown; a created folder stays
}

void CancelOrAbort(HWND dialog)
{
    extraction.abortPending = 1;
    if (!extraction.packageStream) {
        EndDialog(dialog, 0);  // no extraction under way
        return;
    }
    const int answer = MessageBoxA(dialog, kAbortQuestion, kAbortCaption, MB_ICONQUESTION | MB_YESNO);
    // Whatever the answer, the pump's pending timer goes: the answer decides
    // whether a new step is posted, so that at most one is ever pending.
    KillTimer(dialog, IDT_EXTRACT);
    if (answer == IDYES) {
        RollBack();
        ResetExtraction();
        ShowPage(dialog, Options);
    } else {
        extraction.abortPending = 0;
        PostPumpStep(dialog);
    }
}

INT_PTR RunPumpStep(HWND dialog)
{
    // Paused by the abort question; also a step left over after the stream
    // was closed (the run ended or was rolled back) has nothing to read.
    if (extraction.abortPending || !extraction.packageStream)
        return 0;
    switch (PumpSlice()) {
    case StepAgain:
        SetTimer(dialog, IDT_EXTRACT, kExtractTimerMs, nullptr);
        return 0;
    case StepDone:
        PumpFinished(dialog);
        return 1;
    case StepBackToOptions:
        RollBack();
        ShowPage(dialog, Options);
        return 1;
    default:
        RollBack();
        EndDialog(dialog, 0);
        return 1;
    }
}

void FinishWizard(HWND dialog)
{
    installSettings.wizardFinished = 1;
    installSettings.readHelp = Checked(dialog, IDC_READ_HELP);
    installSettings.launchClient = Checked(dialog, IDC_LAUNCH);
    EndDialog(dialog, 1);
}

void BrowseForDestination(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_FOLDER, installSettings.folder, kFolderSize);
    CharLowerA(installSettings.folder);
    if (BrowseForFolder(dialog)) {
        CharLowerA(installSettings.folder);
        SetDlgItemTextA(dialog, IDC_FOLDER, installSettings.folder);
    }
}

}  // namespace vorn
