// The help viewer stand-in: records the WinHelpA requests it receives.
#include "tests/support/help_window.h"

#include <windows.h>

namespace vorn::test {
namespace {

constexpr ULONG_PTR kWinHelpSignature = 0xA1DE505;  // dwData of a WinHelpA request

#pragma pack(push, 1)
struct WinHelpBlock {  // the request as WinHelpA sends it; the file path follows at ofsPath
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD ofsPath;
    WORD ofsData;
};
#pragma pack(pop)

HWND helpWindow = nullptr;
std::vector<HelpRequest> requests;
void (*requestHook)(const HelpRequest&) = nullptr;

LRESULT CALLBACK HelpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wParam, lParam);
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!copy || copy->dwData != kWinHelpSignature || !copy->lpData || copy->cbData < sizeof(WinHelpBlock))
        return FALSE;
    const auto* block = static_cast<const WinHelpBlock*>(copy->lpData);
    HelpRequest r;
    r.command = block->command;
    r.data = block->data;
    if (block->ofsPath && block->ofsPath < copy->cbData)
        r.file = reinterpret_cast<const char*>(block) + block->ofsPath;
    requests.push_back(r);
    if (requestHook)
        requestHook(r);
    return TRUE;
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

const std::vector<HelpRequest>& HelpRequests() { return requests; }

void OnHelpRequest(void (*hook)(const HelpRequest&)) { requestHook = hook; }

}  // namespace vorn::test
