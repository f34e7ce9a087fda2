// The installer's own entry point under Wine, through a probe program linked
// with it exactly like the installer (tests/installer/entry_probe.cpp): the
// arguments WinMain gets for a table of command lines, the static
// initialisers, and the process's exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct CommandLineCase {
    const char* name;
    bool quoted;            // the program's path in quotes (its folder has a space)
    const char* afterName;  // what follows the program's name on the command line
    const char* tail;       // what WinMain must get
};

constexpr CommandLineCase kCases[] = {
    {"no arguments", false, "", ""},
    {"arguments after a plain name", false, " first \"second arg\"", "first \"second arg\""},
    {"quoted name, no arguments", true, "", ""},
    {"quoted name, spaces and tabs before the arguments", true, "  \t first", "first"},
    {"quoted name with an argument against it", true, "next", "next"},
};

// Runs the probe with the command line and returns its exit code.
DWORD RunProbe(const std::string& commandLine, const char* tail)
{
    SetEnvironmentVariableA("VORN_EXPECTED_TAIL", tail);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
        return 1000 + GetLastError();
    DWORD code = 2000;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(EntryPointTest, WinMainGetsWhatTheRuntimeWouldGive)
{
    // A copy of the probe in a folder whose name has a space, so its path needs quotes.
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    const std::string folder = std::string(temp) + "entry probe";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string spaced = folder + "\\entry_probe.exe";
    ASSERT_TRUE(CopyFileA(VORN_TEST_ENTRY_PROBE, spaced.c_str(), FALSE));
    // The plain path: the probe's own, which has no space.
    const std::string plain = VORN_TEST_ENTRY_PROBE;
    ASSERT_EQ(plain.find(' '), std::string::npos);

    for (const CommandLineCase& c : kCases) {
        const std::string name = c.quoted ? "\"" + spaced + "\"" : plain;
        EXPECT_EQ(RunProbe(name + c.afterName, c.tail), 42u)
            << c.name << " (1: instances, 2: command line, 3: show command, 4: static initialiser)";
    }
    // A wrong expectation must be seen: the probe's checks are live.
    EXPECT_EQ(RunProbe(plain + " first", "other"), 2u);

    DeleteFileA(spaced.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
