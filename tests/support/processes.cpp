// Starting and ending the programs of the Windows tests.
#include "tests/support/processes.h"

#include <cstring>
#include <map>

namespace vorn::test {
namespace {

// This process's environment with the launch's variables put in, as a block
// of NUL-terminated "name=value" strings.
std::string EnvironmentBlock(const Launch& launch)
{
    std::map<std::string, std::string, bool (*)(const std::string&, const std::string&)> vars(
        [](const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) < 0; });
    char* own = GetEnvironmentStringsA();
    for (const char* p = own; *p; p += strlen(p) + 1) {
        const char* eq = strchr(p + 1, '=');  // names may start with '=' (drive folders)
        if (eq)
            vars[std::string(p, eq)] = eq + 1;
    }
    FreeEnvironmentStringsA(own);
    for (const auto& [name, value] : launch.env)
        vars[name] = value;
    std::string block;
    for (const auto& [name, value] : vars)
        block += name + "=" + value + '\0';
    block += '\0';
    return block;
}

}  // namespace

bool Start(const Launch& launch, Process* process, std::string* error)
{
    std::string block = EnvironmentBlock(launch);
    std::string commandLine = launch.commandLine.empty() ? "\"" + launch.program + "\"" : launch.commandLine;
    std::string workDir = launch.workDir;
    if (workDir.empty() && !launch.program.empty())
        workDir = launch.program.substr(0, launch.program.find_last_of('\\'));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(launch.program.empty() ? nullptr : launch.program.c_str(), &commandLine[0], nullptr,
                        nullptr, FALSE, 0, &block[0], workDir.empty() ? nullptr : workDir.c_str(), &startup,
                        &info)) {
        *error = "CreateProcess(" + commandLine + ") failed with error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process->handle = info.hProcess;
    process->id = info.dwProcessId;
    return true;
}

bool WaitExit(Process* process, DWORD timeoutMs, DWORD* exitCode)
{
    if (!process->handle)
        return false;
    // Pump while waiting: the test may serve a stand-in window meanwhile.
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return false;
        DWORD r = MsgWaitForMultipleObjects(1, &process->handle, FALSE, timeoutMs - waited, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    GetExitCodeProcess(process->handle, exitCode);
    CloseHandle(process->handle);
    process->handle = nullptr;
    return true;
}

void Kill(Process* process)
{
    if (!process->handle)
        return;
    TerminateProcess(process->handle, 99);
    WaitForSingleObject(process->handle, 5000);
    CloseHandle(process->handle);
    process->handle = nullptr;
}

ProgramRun RunToExit(const Launch& launch, DWORD timeoutMs)
{
    ProgramRun run;
    Process process;
    run.started = Start(launch, &process, &run.error);
    if (!run.started)
        return run;
    run.ended = WaitExit(&process, timeoutMs, &run.exitCode);
    if (!run.ended)
        Kill(&process);
    return run;
}

}  // namespace vorn::test
