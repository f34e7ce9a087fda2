// The demo payload's stand-in for the Vorn client: a window that says what it
// is. For the tests it records that it was started, with its working folder,
// in the file named by VORN_DEMO_RECORD, and with VORN_DEMO_EXIT set it ends
// at once instead of showing its window.
#include <windows.h>

namespace {

void RecordStart()
{
    char recordPath[MAX_PATH];
    if (!GetEnvironmentVariableA("VORN_DEMO_RECORD", recordPath, sizeof recordPath))
        return;
    char folder[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    HANDLE file = CreateFileA(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, "started in ", 11, &written, nullptr);
    WriteFile(file, folder, length, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, "This is the Vorn demo client.", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    RecordStart();
    if (GetEnvironmentVariableA("VORN_DEMO_EXIT", nullptr, 0))
        return 0;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ClientWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "VornDemoClient";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "VornDemoClient", "Vorn demo client", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 360, 160, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
