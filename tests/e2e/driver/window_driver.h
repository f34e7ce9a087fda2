// Reading and driving another process's dialogs: finding them by class and
// caption, reading controls, pressing buttons and keys, answering message
// boxes. Every wait polls (tests/support/wait.h) and pumps the driver's own
// messages, which serve the help-window stand-in.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/wait.h"

namespace vorn::e2e {

using namespace vorn::test;

// A visible top-level dialog (class "#32770") of the process with exactly this
// caption, or null after the timeout.
HWND FindDialog(DWORD processId, const std::string& caption, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);  // the control's own WS_VISIBLE style
bool ItemEnabled(HWND dialog, int id);
bool ItemChecked(HWND dialog, int id);

// The control's window rectangle in the dialog's client coordinates.
RECT ItemRect(HWND dialog, int id);

// The window that has the keyboard focus in the dialog's GUI thread.
HWND FocusOf(HWND dialog);

// Posted (never sent: a click that opens a modal box would block the driver).
void Click(HWND dialog, int id);
void PressKey(HWND dialog, UINT virtualKey);  // down and up, to the focused control
void PressCloseBox(HWND dialog);              // WM_SYSCOMMAND SC_CLOSE
void SetItemText(HWND dialog, int id, const std::string& text);

// A message box of the process: a "#32770" window other than the ones named
// in `except`, holding the message text in static control 0xFFFF.
struct MessageBoxSeen {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    bool ok = false, yes = false, no = false, cancel = false;  // buttons present
    bool errorIcon = false, questionIcon = false;
};

bool WaitMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxSeen* box);

// Presses one of the box's buttons (IDOK, IDYES, IDNO) and waits until it closes.
bool Answer(const MessageBoxSeen& box, int buttonId);

// The main progress bar as the screen shows it (control 173's rectangle):
// whether its frame is black, how many pixels of its middle row carry the
// fill colour (0, 70, 140), and whether red percentage text shows.
struct BarSeen {
    bool blackFrame = false;
    int fill = 0;
    int width = 0;  // the bar's outer width
    bool redText = false;
};
BarSeen ReadMainBar(HWND wizard);

// Pixels of the member bar's middle row (control 171's rectangle) that carry
// its fill colour (0, 200, 100).
int ReadMemberBarFill(HWND wizard);

// How many pixels of a screen square at (x, y) differ from the icon drawn by
// the driver on the same background, in percent.
int IconMismatchAt(int x, int y, HICON icon);

// Folder picker (the old-style Open dialog): opens a folder in the folder
// list by its name (without brackets), as a double click does.
bool OpenFolderInPicker(HWND picker, const std::string& name);
std::string FolderListText(HWND picker);  // every item, separated by '|'

}  // namespace vorn::e2e
