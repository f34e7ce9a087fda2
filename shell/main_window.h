// The installer's hidden main window: it opens the wizard on a posted
// message and closes itself shortly after the wizard has ended.
#pragma once
#include <windows.h>

namespace vorn {

constexpr UINT WM_OPENWIZARD = WM_USER + 100;  // posted once at start-up
constexpr UINT_PTR kCloseTimer = 1125;        // 50 ms after the wizard: close the window
constexpr UINT kCloseDelayMs = 50;

// Registers the main window class; false when RegisterClassA fails.
bool RegisterMainClass();

// Creates the hidden main window and stores it as mainWindow; false on failure.
bool CreateMainWindow();

}  // namespace vorn

// The main window's procedure; exported by this name.
extern "C" LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
