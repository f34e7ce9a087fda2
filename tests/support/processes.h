// Programs the Windows tests start: a chosen program or command line,
// working folder and environment; waiting for the exit with this thread's
// messages pumped; ending what a failed test left running.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vorn::test {

struct Launch {
    std::string program;      // Windows path of the .exe; empty: taken from the command line
    std::string commandLine;  // empty: the program's path in quotes
    std::string workDir;      // empty: the program's own folder (or this process's)
    // Added to (or replacing in) this process's own environment. Note: Wine
    // takes WINEDLLOVERRIDES from here for no child.
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

struct ProgramRun {
    bool started = false;
    bool ended = false;  // within the time given; otherwise it was ended by force
    DWORD exitCode = 0;
    std::string error;   // why it did not start
};

// Starts the program and waits for its end; one that outlives the timeout
// is ended by force.
ProgramRun RunToExit(const Launch& launch, DWORD timeoutMs);

}  // namespace vorn::test
