// The process-wide handles, one each per process.
#include "common/process_handles.h"

namespace vorn {

HINSTANCE appInstance;
HWND mainWindow;
DWORD ddeInstance;
HWND wizardDialog;

}  // namespace vorn
