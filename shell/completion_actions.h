// What the installer does after the wizard has ended: the uninstall entry,
// the client's default ignore list, the launch of the client and its help.
#pragma once

namespace vorn {

// Stores one text value under the uninstall key (created when missing) in
// HKEY_LOCAL_MACHINE. Returns 1 when the value was stored, 0 otherwise.
int WriteUninstallValue(const char* name, const char* text);

// Runs the four completion actions once, each under its own condition, from
// installSettings. Reports nothing; every result is ignored.
void RunCompletionActions();

}  // namespace vorn
