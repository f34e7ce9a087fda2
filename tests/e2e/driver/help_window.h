// A stand-in for the help viewer's window: WinHelpA hands its request to the
// top-level window of class "MS_WINHELP" with WM_COPYDATA; the driver keeps
// one open during a scenario and records the requests (file and context).
#pragma once
#include <string>
#include <vector>

namespace vorn::e2e {

struct HelpRequest {
    unsigned command = 0;  // HELP_CONTEXT is 1
    unsigned long data = 0;
    std::string file;
};

bool OpenHelpWindow();
void CloseHelpWindow();
const std::vector<HelpRequest>& HelpRequests();

}  // namespace vorn::e2e
