// Starting the installer under test and waiting for it: a chosen program
// file, working folder and environment, the exit code, and clean-up.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vorn::e2e {

// A Unix path as Wine sees it on drive Z: ("/a/b" -> "Z:\a\b").
std::string WindowsPath(const std::string& unixPath);

struct Launch {
    std::string program;  // Windows path of the .exe
    std::string workDir;  // empty: the program's own folder
    // Added to (or replacing in) the driver's own environment. Note: Wine
    // takes WINEDLLOVERRIDES from here for no child; see SetDllOverride.
    std::vector<std::pair<std::string, std::string>> env;
};

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// Starts the program; false (with the system error) when CreateProcess fails.
bool Start(const Launch& launch, Process* process, std::string* error);

// Waits for the exit; false on timeout. The handle is closed on success.
bool WaitExit(Process* process, DWORD timeoutMs, DWORD* exitCode);

// Ends a process the test could not finish normally (failed tests only).
void Kill(Process* process);

}  // namespace vorn::e2e
