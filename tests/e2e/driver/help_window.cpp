// The help viewer stand-in: records the WinHelpA requests it receives.
#include "tests/e2e/driver/help_window.h"

#include <windows.h>

namespace vorn::e2e {
namespace {

// The block WinHelpA sends (the help file path follows at ofsPath).
struct WinHelpBlock {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD ofsPath;
    WORD ofsData;
};

HWND helpWindow = nullptr;
std::vector<HelpRequest> requests;

LRESULT CALLBACK HelpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        if (copy && copy->lpData && copy->cbData >= sizeof(WinHelpBlock)) {
            auto* block = static_cast<const WinHelpBlock*>(copy->lpData);
            HelpRequest r;
            r.command = block->command;
            r.data = static_cast<unsigned long>(block->data);
            if (block->ofsPath && block->ofsPath < copy->cbData)
                r.file = reinterpret_cast<const char*>(block) + block->ofsPath;
            requests.push_back(r);
        }
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool OpenHelpWindow()
{
    requests.clear();
    if (helpWindow)
        return true;
    WNDCLASSA cls = {};
    cls.lpfnWndProc = HelpProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "MS_WINHELP";
    RegisterClassA(&cls);
    helpWindow = CreateWindowExA(0, "MS_WINHELP", "Help stand-in", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 cls.hInstance, nullptr);
    return helpWindow != nullptr;
}

void CloseHelpWindow()
{
    if (helpWindow)
        DestroyWindow(helpWindow);
    helpWindow = nullptr;
}

const std::vector<HelpRequest>& HelpRequests()
{
    return requests;
}

}  // namespace vorn::e2e
