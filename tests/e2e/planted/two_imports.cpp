// The reference for the planted-library test: a program that imports only
// kernel32 and user32 and has no C runtime, which restricts the library
// search to the system folder as its first act, then shows a window and
// pumps its messages briefly. What a library planted beside it records is
// what the system's own start-up and window code load by themselves.
#include <windows.h>

namespace {

constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr UINT_PTR kTimer = 1;
constexpr UINT kPumpMs = 300;

WNDCLASSA windowClass;  // static storage: zero without a memset from a runtime

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

UINT Run()
{
    // Looked up: a static import would fail to load on systems without it.
    using SetDefault = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(kSearchSystem32))
        return 2;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VornTwoImports";
    if (!RegisterClassA(&windowClass))
        return 3;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Two imports", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                  100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 4;
    ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, kTimer, kPumpMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

// The entry the linker looks for in a GUI program built without start files.
extern "C" void WinMainCRTStartup()
{
    ExitProcess(Run());
}
