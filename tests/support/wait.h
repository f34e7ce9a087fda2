// Waiting in the Windows tests: every wait polls its condition and ends as
// soon as it holds, so the deadlines can be generous for a loaded machine
// without slowing a passing run. No test sleeps a fixed time for something
// to happen.
#pragma once
#include <windows.h>

#include <functional>

namespace vorn::test {

constexpr DWORD kPollMs = 50;
// How long a window, a box, a file or a server may take to show the effect
// of something the test did (a click, a message, a started program).
constexpr DWORD kSettleMs = 10000;

// Polls until the condition holds or the timeout passes; true when it held.
// Pumps this thread's messages meanwhile (the stand-in windows live on it).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kSettleMs);

// Lets the time pass while pumping this thread's messages: for the checks
// that something does NOT happen within that time.
void Pause(DWORD ms);

}  // namespace vorn::test
