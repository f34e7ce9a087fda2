// The Program Manager group "Vorn" and its five items, created or refreshed
// through Program Manager's DDE execute commands.
#pragma once
#include <windows.h>
#include <ddeml.h>

namespace vorn {

constexpr int kCommandSize = 900;  // one command buffer, reused for every command

// Sends one execute command to Program Manager on its own conversation.
// Returns 1 when Program Manager accepted it, 0 otherwise.
int ProgmanExecute(const char* command);

// Sends the twelve commands that make the group and its items from
// installSettings.folder and installSettings.newShell on ddeInstance.
// Returns 1 when every required command succeeded, 0 at the first required
// command that failed (nothing further is sent then).
int CreateProgramGroup();

}  // namespace vorn

// The DDE callback registered with DdeInitializeA. The installer is a DDE
// client only: it answers every transaction with no data handle. Exported
// by this name from the installer; with stdcall on i686 the object symbol is
// DdeCallback@32, so the .def line reads "DdeCallback = DdeCallback@32".
extern "C" HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV conversation, HSZ string1,
                                         HSZ string2, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
