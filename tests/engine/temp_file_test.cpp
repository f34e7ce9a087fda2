// The run's own temporary file: a new name beside files that are there
// already, no other writer while the run uses it, and a run stopped with its
// box and rolled back when the file changed behind its back or the temporary
// folder went away between two members.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <functional>

#include "engine_fixture.h"
#include "package/existing_files.h"
#include "package/extraction_state.h"
#include "package/temp_file.h"
#include "tests/support/processes.h"

namespace vorn::test {
namespace {

class TempFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallRecorder();
        CreateDirectoryA(temp.c_str(), nullptr);
        tempFolder.PointAt(temp);
    }
    void TearDown() override
    {
        if (extraction.packageStream || extraction.tempStream)
            RollBack();
    }
    ScratchFolder dir{"temp-file"};
    const std::string temp = dir / "temp";
    const std::string tempWithSlash = temp + "\\";
    TemporaryFolderOverride tempFolder;
};

TEST_F(TempFileTest, NewNameBesideALeftoverAndAFileHeldOpen)
{
    // The two names this process tries first, learnt from two files made in a row.
    char path[kTempPathSize];
    FILE* a = CreateTempFile(path);
    ASSERT_NE(a, nullptr);
    const std::string first = path;
    FILE* b = CreateTempFile(path);
    ASSERT_NE(b, nullptr);
    const std::string second = path;
    EXPECT_NE(first, second) << "a file that is there is never opened again";
    EXPECT_TRUE(IsTempFileIn(first, tempWithSlash)) << first;
    EXPECT_TRUE(IsTempFileIn(second, tempWithSlash)) << second;
    DeleteTempFile(b, path);
    EXPECT_EQ(b, nullptr);
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(Exists(second));
    lstrcpyA(path, first.c_str());
    DeleteTempFile(a, path);
    EXPECT_FALSE(Exists(first));

    // A crashed run's leftover at the first name; the second held open by
    // another program that shares nothing.
    const Bytes leftover = {'l', 'e', 'f', 't', 'o', 'v', 'e', 'r'};
    ASSERT_TRUE(WriteFileBytes(first, leftover));
    HANDLE held = CreateFileA(second.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    EXPECT_TRUE(ui.errors.empty());
    ExpectPayloadInstalled(dir / "Vorn");
    ASSERT_EQ(ui.tempPaths.size(), 10u);
    for (const std::string& used : ui.tempPaths) {
        EXPECT_TRUE(IsTempFileIn(used, tempWithSlash)) << used;
        EXPECT_TRUE(_stricmp(used.c_str(), first.c_str()) && _stricmp(used.c_str(), second.c_str())) << used;
    }
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(first), leftover) << "the leftover was opened";
    EXPECT_TRUE(Exists(second));
    EXPECT_EQ(ReadFileBytes(second), Bytes{}) << "the held file was written";
    EXPECT_EQ(TempFilesIn(temp).size(), 2u) << "only the two planted files are left";
}

// Runs a command line in a process of its own and waits for its end.
void RunCommand(const std::string& commandLine)
{
    Launch launch;
    launch.commandLine = commandLine;
    ProgramRun run = RunToExit(launch, 30000);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_TRUE(run.ended) << commandLine;
}

// Ways to spoil a file, each tried on a file nobody holds (where it must
// work, or the row proves nothing) and on the pump's temporary file. Openers
// in the test's own process meet the same sharing rules as any other; the
// command lines run in processes of their own.
struct Spoiler {
    const char* name;
    std::function<void(const std::string& target, const std::string& decoy)> spoil;
};

void WriteThrough(const std::string& target, DWORD disposition)
{
    HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
}

void StreamThrough(const std::string& target, const char* mode)
{
    if (FILE* f = fopen(target.c_str(), mode)) {
        fputs("x", f);
        fclose(f);
    }
}

const Spoiler kSpoilers[] = {
    {"write into it", [](auto& t, auto&) { WriteThrough(t, OPEN_EXISTING); }},
    {"truncate", [](auto& t, auto&) { WriteThrough(t, TRUNCATE_EXISTING); }},
    {"overwrite", [](auto& t, auto&) { WriteThrough(t, CREATE_ALWAYS); }},
    {"fopen wb", [](auto& t, auto&) { StreamThrough(t, "wb"); }},
    {"fopen ab", [](auto& t, auto&) { StreamThrough(t, "ab"); }},
    {"delete", [](auto& t, auto&) { DeleteFileA(t.c_str()); }},
    {"rename", [](auto& t, auto& d) { MoveFileA(t.c_str(), (d + ".moved").c_str()); }},
    {"replace", [](auto& t, auto& d) { MoveFileExA(d.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING); }},
    {"cmd echo", [](auto& t, auto&) { RunCommand("cmd.exe /c echo spoilt>\"" + t + "\" 2>nul"); }},
    {"cmd del", [](auto& t, auto&) { RunCommand("cmd.exe /c del \"" + t + "\" 2>nul"); }},
    {"cmd copy", [](auto& t, auto& d) { RunCommand("cmd.exe /c copy /y \"" + d + "\" \"" + t + "\" >nul 2>nul"); }},
};

TEST_F(TempFileTest, NobodyElseCanWriteReplaceOrDeleteItWhileTheRunUsesIt)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
    const std::string path = extraction.tempPath;
    ASSERT_TRUE(IsTempFileIn(path, tempWithSlash)) << path;
    const Bytes member2 = SplitMembers(DemoPackage())[2];
    const std::string control = dir / "control.tmp", decoy = dir / "decoy.tmp";
    const Bytes original = {'o', 'r', 'i', 'g', 'i', 'n', 'a', 'l'};

    // The file holds the member's bytes so far, as the pump wrote them.
    auto expectUntouched = [&](const std::string& what) {
        ASSERT_TRUE(FlushMemberBytes());
        Bytes now = ReadFileBytes(path);  // reading stays open to all
        ASSERT_EQ(now.size(), static_cast<size_t>(extraction.memberBytes)) << what;
        EXPECT_TRUE(std::equal(now.begin(), now.end(), member2.begin())) << what;
    };
    ASSERT_GT(extraction.memberBytes, 0);
    ASSERT_NO_FATAL_FAILURE(expectUntouched("before"));
    for (const Spoiler& s : kSpoilers) {
        SCOPED_TRACE(s.name);
        ASSERT_TRUE(WriteFileBytes(control, original));
        ASSERT_TRUE(WriteFileBytes(decoy, {'d', 'e', 'c', 'o', 'y'}));
        RemoveTree(decoy + ".moved");
        s.spoil(control, decoy);
        ASSERT_TRUE(!Exists(control) || ReadFileBytes(control) != original) << "spoils nothing even when unheld";
        ASSERT_TRUE(WriteFileBytes(decoy, {'d', 'e', 'c', 'o', 'y'}));
        s.spoil(path, decoy);
        ASSERT_NO_FATAL_FAILURE(expectUntouched(s.name));
    }

    EXPECT_EQ(DrivePump().result, StepDone);
    EXPECT_TRUE(ui.errors.empty());
    ExpectPayloadInstalled(dir / "Vorn");
    EXPECT_EQ(TempFilesLeft(), "");
}

// Moves the pump's write position in its temporary file by `delta` bytes,
// past the lock, as something outside Windows' sharing rules could: back,
// cutting off what lies behind, or on, leaving a gap.
void ShiftWritePosition(long delta)
{
    ASSERT_TRUE(FlushMemberBytes());
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(extraction.tempStream)));
    ASSERT_NE(SetFilePointer(h, delta, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    if (delta < 0) {
        ASSERT_TRUE(SetEndOfFile(h));
    }
}

TEST_F(TempFileTest, FileChangedOrFolderGoneBetweenMembersStopsAndRollsBack)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    struct Case {
        const char* name;
        std::function<void()> spoil;
        int box;
    };
    const Case cases[] = {
        {"100 bytes cut off", [] { ShiftWritePosition(-100); }, 5},
        {"100 bytes added", [] { ShiftWritePosition(100); }, 5},
        {"temporary folder gone", [&] { tempFolder.PointAt(temp + "\\gone"); }, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallRecorder();
        tempFolder.PointAt(temp);
        std::string target = dir / "Vorn";
        RemoveTree(target);
        ASSERT_EQ(StartInstall(target, package), StepDone);
        ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
        ASSERT_GT(extraction.memberBytes, 100);
        ASSERT_NO_FATAL_FAILURE(c.spoil());
        EXPECT_EQ(DrivePump().result, StepFailed);
        EXPECT_EQ(ui.errors, std::vector<int>{c.box});
        EXPECT_EQ(extraction.memberIndex, 0);
        EXPECT_EQ(extraction.packageStream, nullptr);
        EXPECT_EQ(extraction.tempStream, nullptr);
        EXPECT_FALSE(Exists(target)) << "files left: the created folder was not emptied";
        EXPECT_EQ(TempFilesIn(temp), std::vector<std::string>{});
        EXPECT_STREQ(extraction.tempPath, "");
    }
}

}  // namespace
}  // namespace vorn::test
