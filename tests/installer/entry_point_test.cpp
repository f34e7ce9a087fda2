// The installer's own entry point under Wine, through a probe program linked
// with it exactly like the installer (tests/installer/entry_probe.cpp): the
// arguments WinMain gets for a table of command lines, the static
// initialisers, and the process's exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/files.h"
#include "tests/support/processes.h"

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

// Runs the probe with the command line and returns its exit code (1000 when
// it cannot start, 2000 when it does not end in time).
DWORD RunProbe(const std::string& commandLine, const char* tail)
{
    SetEnvironmentVariableA("VORN_EXPECTED_TAIL", tail);
    vorn::test::Launch launch;
    launch.commandLine = commandLine;
    vorn::test::ProgramRun run = vorn::test::RunToExit(launch, 30000);
    if (!run.started) {
        ADD_FAILURE() << run.error;
        return 1000;
    }
    return run.ended ? run.exitCode : 2000;
}

TEST(EntryPointTest, WinMainGetsWhatTheRuntimeWouldGive)
{
    // A copy of the probe in a folder whose name has a space, so its path needs quotes.
    const std::string temp = vorn::test::TemporaryFolder();
    ASSERT_FALSE(temp.empty());
    const std::string folder = temp + "entry probe";
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
