// What the wizard's buttons set going: Install, the abort question, the
// extraction pump's steps, Finish and Browse.
#pragma once
#include <windows.h>

#include "package/extraction_pump.h"

namespace vorn {

// The pump's message and timer on the wizard dialog, by the wizard's names.
constexpr UINT WM_EXTRACTSTEP = kExtractStepMessage;  // posted: run one PumpSlice
constexpr UINT_PTR IDT_EXTRACT = kExtractTimer;       // one-shot: post the next WM_EXTRACTSTEP
static_assert(WM_EXTRACTSTEP == WM_USER + 102 && IDT_EXTRACT == 1125);

void RunInstall(HWND dialog);
void CancelOrAbort(HWND dialog);
// Returns the dialog procedure's result for WM_EXTRACTSTEP.
INT_PTR RunPumpStep(HWND dialog);
void FinishWizard(HWND dialog);
void BrowseForDestination(HWND dialog);

}  // namespace vorn
