// The wizard's pages: initialisation, texts, the page switch and painting.
#pragma once
#include <windows.h>

namespace vorn {

constexpr int kLayoutPages = -1;  // ShowPage's first call: lay the groups out, then Welcome

void InitWizard(HWND dialog);
void PaintWizard(HWND dialog);
void ShowPage(HWND dialog, int page);
void MoveGroupIntoPlace(HWND dialog, int firstId);
void ShowControlRun(HWND dialog, int firstId, int show);
void LoadWizardTexts(HWND dialog);

// Moves the focus to a control of the dialog as Tab would, so that a focused
// push button is also the default one.
void FocusControl(HWND dialog, int id);

// Invalidates, with background erase, the dialog area under a control.
void InvalidateControl(HWND dialog, int id);

}  // namespace vorn
