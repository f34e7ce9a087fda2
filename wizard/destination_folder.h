// The destination folder: the proposal at start-up and the folder picker (the
// old-style Open dialog with its own template and the hook FileHook).
#pragma once
#include <windows.h>

namespace vorn {

// Puts the proposed folder ("Vorn" at the root of the installer's fixed
// drive, else of the Windows drive) into control 152.
void SetDefaultFolder(HWND dialog);

// Runs the picker from installSettings.folder; true when OK closed it, and
// then installSettings.folder holds the chosen folder.
bool BrowseForFolder(HWND owner);

// Sets the picker's edit 102 from its current folder, with "\vorn" added
// unless the path already holds it.
void SyncFolderEdit(HWND picker);

// Moves a top-level window to the centre of the desktop, kept 10 pixels
// inside its right and bottom edges.
void CentreOnDesktop(HWND window);

}  // namespace vorn

// The picker's hook; exported by this name. Always 0: the dialog's own
// handling of every message goes on.
extern "C" UINT_PTR CALLBACK FileHook(HWND picker, UINT message, WPARAM wParam, LPARAM lParam);
