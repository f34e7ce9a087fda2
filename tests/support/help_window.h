// A stand-in for the help viewer's window: WinHelpA hands its request to the
// top-level window of class "MS_WINHELP" by WM_COPYDATA (and starts the help
// viewer only when there is none). The stand-in lives on the thread that
// opens it, which must pump messages while a request can come, and records
// every request.
#pragma once
#include <string>
#include <vector>

namespace vorn::test {

struct HelpRequest {
    unsigned command = 0;  // HELP_CONTEXT is 1
    long data = 0;         // the context number for HELP_CONTEXT
    std::string file;
};

// Opens the window (once) and forgets earlier requests; false when it
// cannot be made.
bool OpenHelpWindow();
void CloseHelpWindow();
const std::vector<HelpRequest>& HelpRequests();

// Called with each request as it arrives, while the sender still waits in
// WinHelpA; null for none.
void OnHelpRequest(void (*hook)(const HelpRequest& request));

}  // namespace vorn::test
