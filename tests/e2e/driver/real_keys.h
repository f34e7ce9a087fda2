// Real key events for the keyboard cases. A Windows program cannot start
// xdotool (a Linux program), so the keys are typed on the test's X display by
// tests/e2e/with-real-keys.sh; this side asks for them through a handshake
// folder (--keys) and waits until they have been typed.
#pragma once
#include <windows.h>

#include <string>

namespace vorn::e2e {

// Types keys, in xdotool's names ("Return", "alt+y", "Escape"), into the
// window that is active on the dialog's thread (the dialog itself or a box
// it has open), as a person at the keyboard would: the window is activated
// on the display first. False with the reason when they could not be typed.
bool TypeKeys(HWND dialog, const std::string& keys, std::string* error);

}  // namespace vorn::e2e
