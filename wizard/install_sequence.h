// What the wizard's buttons set going: Install, the abort question, the
// extraction pump's steps, Finish and Browse.
#pragma once
#include <windows.h>

namespace vorn {

// The pump's message and timer on the wizard dialog.
constexpr UINT WM_EXTRACTSTEP = WM_USER + 102;  // posted: run one PumpSlice
constexpr UINT_PTR IDT_EXTRACT = 1125;          // one-shot: post the next WM_EXTRACTSTEP
constexpr UINT kExtractTimerMs = 25;

void RunInstall(HWND dialog);
void CancelOrAbort(HWND dialog);
// Returns the dialog procedure's result for WM_EXTRACTSTEP.
INT_PTR RunPumpStep(HWND dialog);
void FinishWizard(HWND dialog);
void BrowseForDestination(HWND dialog);

}  // namespace vorn
