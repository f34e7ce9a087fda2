// The wizard dialog's own state, in one place, and the pieces of the wizard
// that the other parts of the installer call.
#pragma once
#include <windows.h>
#include <cstdint>

namespace vorn {

struct WizardState {
    int currentPage;  // the WizardPage shown; -1 until the first ShowPage
    int firstBrowse;  // the next folder picker is the process's first
    uint32_t packageCrc;  // the CRC the package must have, given by the shell
};

extern WizardState wizardState;

// The wizard's dialog procedure, given to DialogBoxParamA with INSTALL_DLG and,
// as the dialog's parameter, the CRC-32 of the package the installer carries,
// from its CRC slot.
INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vorn
