// The installer's own entry point under Wine, through a probe program linked
// with it exactly like the installer (tests/installer/entry_probe.cpp): the
// arguments WinMain gets for a table of command lines, the static
// initialisers and their order, and the process's exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "tests/support/files.h"
#include "tests/support/processes.h"

namespace {

// Where the probe's program file lies, which decides how its name is written.
enum class Name {
    Plain,     // the probe's own path, without spaces: unquoted
    Quoted,    // a copy in a folder whose name has a space: in quotes
    HighByte,  // a copy in a folder whose name has a byte of 0x80 or more, no space: unquoted
};

struct CommandLineCase {
    const char* name;
    Name program;
    const char* afterName;  // what follows the program's name on the command line
    const char* tail;       // what WinMain must get
};

constexpr CommandLineCase kCases[] = {
    {"no arguments", Name::Plain, "", ""},
    {"arguments after a plain name", Name::Plain, " first \"second arg\"", "first \"second arg\""},
    {"quoted name, no arguments", Name::Quoted, "", ""},
    {"quoted name, spaces and tabs before the arguments", Name::Quoted, "  \t first", "first"},
    {"quoted name with an argument against it", Name::Quoted, "next", "next"},
    {"quoted name, control bytes before the arguments", Name::Quoted, "\x0b \x1f\x01" "first", "first"},
    {"unquoted name with a high byte, no arguments", Name::HighByte, "", ""},
    {"unquoted name with a high byte, arguments", Name::HighByte, " first second", "first second"},
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

// A copy of the probe in a new folder of the temporary folder; empty when it cannot be made.
std::string CopyProbeInto(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\entry_probe.exe";
    return CopyFileA(VORN_TEST_ENTRY_PROBE, copy.c_str(), FALSE) ? copy : "";
}

// "entry\u00e9probe" in the ANSI code page; empty when the code page has no
// single character for it.
std::string AccentedFolderName()
{
    char name[32];
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, L"entry\u00e9probe", -1, name, sizeof name, nullptr, &lossy);
    return n > 0 && !lossy ? name : "";
}

TEST(EntryPointTest, WinMainGetsWhatTheRuntimeWouldGive)
{
    const std::string temp = vorn::test::TemporaryFolder();
    ASSERT_FALSE(temp.empty());
    // The plain path: the probe's own, which has no space.
    const std::string plain = VORN_TEST_ENTRY_PROBE;
    ASSERT_EQ(plain.find(' '), std::string::npos);
    const std::string spaced = CopyProbeInto(temp + "entry probe");
    ASSERT_FALSE(spaced.empty());
    const std::string accented = AccentedFolderName();
    ASSERT_FALSE(accented.empty()) << "code page " << GetACP();
    const std::string highByte = CopyProbeInto(temp + accented);
    ASSERT_FALSE(highByte.empty());
    ASSERT_EQ(highByte.find(' '), std::string::npos);
    ASSERT_TRUE(std::any_of(highByte.begin(), highByte.end(), [](char c) { return (c & 0x80) != 0; }))
        << highByte;

    for (const CommandLineCase& c : kCases) {
        const std::string name = c.program == Name::Plain    ? plain
                                 : c.program == Name::Quoted ? "\"" + spaced + "\""
                                                             : highByte;
        EXPECT_EQ(RunProbe(name + c.afterName, c.tail), 42u)
            << c.name << " (1: instances, 2: command line, 3: show command, 4: static initialisers or their order)";
    }
    // A wrong expectation must be seen: the probe's checks are live.
    EXPECT_EQ(RunProbe(plain + " first", "other"), 2u);

    for (const std::string& copy : {spaced, highByte}) {
        DeleteFileA(copy.c_str());
        RemoveDirectoryA(copy.substr(0, copy.rfind('\\')).c_str());
    }
}

}  // namespace
