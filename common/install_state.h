// Shared records of the installer: the user's choices and the run's outcome,
// the wizard's pages and the extraction operations' result codes.
#pragma once

namespace vorn {

constexpr int kFolderSize = 300;  // destination folder: at most 299 characters
constexpr int kPathSize = 900;    // path work buffers

struct InstallSettings {
    char folder[kFolderSize];  // destination folder, taken from control 152 at Install
    int makeBackups;           // Options-page boxes 156, 157, 158, read at Install
    int keepSettings;
    int createIcons;
    int readHelp;              // Finish-page boxes 183, 184, read at Finish
    int launchClient;
    int wizardFinished;        // set when the Finish button ends the wizard
    int newShell;              // set at start-up
};

extern InstallSettings installSettings;

enum WizardPage { Welcome = 0, License = 1, Options = 2, Progress = 3, Finish = 4 };

// Result of the extraction operations; each operation's meanings are at its
// declaration. The value 3 has a name for each of its two uses.
enum StepResult : int {
    StepFailed = 0,         // failed; a message was shown
    StepDone = 1,           // done; go on
    StepBackToOptions = 2,  // a backup step (or the folder) failed and was reported: back to the Options page
    StepAgain = 3,          // PumpSlice: the slice is used up; call again later
    StepKeepExisting = 3,   // CheckExistingFile: the existing settings file stays; skip the member
};

}  // namespace vorn
