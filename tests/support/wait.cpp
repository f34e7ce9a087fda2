// Waiting in the Windows tests: polling with the thread's messages pumped.
#include "tests/support/wait.h"

namespace vorn::test {

void Pause(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD waited = GetTickCount() - start;
        if (waited >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Pause(kPollMs);
    }
}

}  // namespace vorn::test
