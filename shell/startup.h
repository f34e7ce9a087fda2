// Start-up decisions of the installer: new or old shell, and the optional
// 3-D controls on old shells.
#pragma once
#include <windows.h>

namespace vorn {

// 1 for a GetVersion value of major version 4, or of minor version 95 or
// more; 0 otherwise.
int IsNewShell(DWORD version);

// Turns the 3-D controls on when the library is present in the system
// directory; LoadCtl3d sets the error mode first.
void LoadCtl3d();
void UnloadCtl3d();

}  // namespace vorn
