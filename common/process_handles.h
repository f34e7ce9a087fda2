// Process-wide handles of the installer (Windows side only).
#pragma once
#include <windows.h>

namespace vorn {

extern HINSTANCE appInstance;  // the module instance, set first at start-up
extern HWND mainWindow;        // the hidden main window
extern DWORD ddeInstance;      // the DDE instance, 0 until DDE initialisation succeeds
extern HWND wizardDialog;      // the wizard dialog, stored at its initialisation

}  // namespace vorn
