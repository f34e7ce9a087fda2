// The run's own temporary file: each member's name after the one before,
// names that are taken (as Wine and as Windows answer them) passed over and
// left alone, a folder that takes no new file stopping the run with its box,
// no other writer while the run uses it, and a run stopped with its box and
// rolled back when the file refuses a write, changes behind its back, or the
// temporary folder goes away between two members.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine_fixture.h"
#include "import_patch.h"
#include "decoder/byte_stream.h"
#include "package/existing_files.h"
#include "package/extraction_pump.h"
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

    // Installs the demo package and expects it in place, its ten members'
    // temporary files named by the ten numbers from `first` on.
    void ExpectInstallWithNamesFrom(unsigned first);
};

// The temporary name with the number `n` (taken modulo the four hex digits).
std::string NameAt(const std::string& folder, unsigned n)
{
    char name[16];
    wsprintfA(name, "vorn%04x.tmp", n & 0xFFFF);
    return folder + name;
}

// The number in a temporary name.
unsigned NumberOf(const std::string& path)
{
    return static_cast<unsigned>(std::stoul(path.substr(path.size() - 8, 4), nullptr, 16));
}

void TempFileTest::ExpectInstallWithNamesFrom(unsigned first)
{
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    EXPECT_TRUE(ui.errors.empty());
    ExpectPayloadInstalled(dir / "Vorn");
    ASSERT_EQ(ui.tempPaths.size(), 10u);
    for (unsigned i = 0; i < 10; ++i)
        EXPECT_EQ(ui.tempPaths[i], NameAt(tempWithSlash, first + i)) << "member " << i;
}

// The number of the name this process's next search starts with, learnt
// from a file made and deleted.
unsigned NextName()
{
    char path[kTempPathSize];
    FILE* f = CreateTempFile(path);
    if (!f) {
        ADD_FAILURE() << "no temporary file";
        return 0;
    }
    const unsigned n = NumberOf(path);
    DeleteTempFile(f, path);
    return n + 1;
}

TEST_F(TempFileTest, MadeAndDeletedAndEachMemberStartsAfterTheNameBeforeIt)
{
    char path[kTempPathSize];
    FILE* a = CreateTempFile(path);
    ASSERT_NE(a, nullptr);
    const std::string first = path;
    EXPECT_TRUE(IsTempFileIn(first, tempWithSlash)) << first;
    EXPECT_TRUE(Exists(first));
    DeleteTempFile(a, path);
    EXPECT_EQ(a, nullptr);
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(Exists(first));

    // Windows keeps a deleted file that a scanner still holds as "delete
    // pending", and refuses its name for a while: no member tries the name
    // the member before it has just deleted, or any before that.
    ExpectInstallWithNamesFrom(NumberOf(first) + 1);
    EXPECT_EQ(TempFilesLeft(), "");
}

// Windows' answers that Wine does not give. Wine 8 answers CREATE_NEW on a
// name that is there with ERROR_FILE_EXISTS whatever it is: a file awaiting
// deletion (deleted while another handle holds it) and a folder included.
// Windows answers ERROR_ACCESS_DENIED for both, and GetFileAttributesA fails
// on the file awaiting deletion as well. So the test program's import of
// CreateFileA, through which the engine linked into it calls, goes to this
// stand-in, which refuses the paths listed with the errors listed and passes
// every other call on. It also counts the temporary names tried.
struct CreateFileAnswers {
    std::vector<std::pair<std::string, DWORD>> refused;  // path, error
    DWORD refuseEveryName = 0;  // when set, every temporary name is refused with it
    std::string tempFolder;     // with its backslash: where the temporary names are counted
    int namesTried = 0;
    decltype(&CreateFileA) original = nullptr;
} answers;

HANDLE WINAPI CreateFileStandIn(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (IsTempFileIn(path, answers.tempFolder)) {
        ++answers.namesTried;
        DWORD error = answers.refuseEveryName;
        for (const auto& [refusedPath, refusedError] : answers.refused)
            if (_stricmp(path, refusedPath.c_str()) == 0)
                error = refusedError;
        if (error) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    return answers.original(path, access, share, security, disposition, flags, templateFile);
}

class CreateFileStandInTest : public TempFileTest {
protected:
    void SetUp() override
    {
        TempFileTest::SetUp();
        ASSERT_TRUE(patch.Applied()) << "the test program does not import CreateFileA";
        answers = CreateFileAnswers{};
        answers.tempFolder = tempWithSlash;
        answers.original = patch.Original<decltype(&CreateFileA)>();
    }
    ImportPatch patch{"kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&CreateFileStandIn)};
};

// What stands at a name: made on disk, where Wine answers ERROR_FILE_EXISTS
// for each, or Windows' answer given by the stand-in.
enum class Made { Leftover, HeldSharingNothing, Folder, DeletedWhileHeld, StandIn };

struct Obstacle {
    const char* name;
    Made made;
    DWORD answer;  // the stand-in's error
};

// In the order the run meets them; the first three are still there after it.
constexpr Obstacle kObstacles[] = {
    {"a crashed run's leftover", Made::Leftover, 0},
    {"a file held by a program that shares nothing", Made::HeldSharingNothing, 0},
    {"a folder", Made::Folder, 0},
    {"a file deleted while a scanner holds it", Made::DeletedWhileHeld, 0},
    {"a file awaiting deletion, as Windows answers it", Made::StandIn, ERROR_ACCESS_DENIED},
    {"a held file, as a sharing violation", Made::StandIn, ERROR_SHARING_VIOLATION},
    {"a name that is there, as ERROR_ALREADY_EXISTS", Made::StandIn, ERROR_ALREADY_EXISTS},
};

TEST_F(CreateFileStandInTest, TakenNamesArePassedOverAndLeftAsTheyWere)
{
    // The obstacles in the names the run tries first.
    const unsigned next = NextName();
    const size_t count = std::size(kObstacles);
    const Bytes leftover = {'l', 'e', 'f', 't', 'o', 'v', 'e', 'r'};
    std::vector<HANDLE> held;
    for (size_t i = 0; i < count; ++i) {
        const Obstacle& o = kObstacles[i];
        const std::string name = NameAt(tempWithSlash, next + static_cast<unsigned>(i));
        if (o.made == Made::StandIn) {
            answers.refused.emplace_back(name, o.answer);
        } else if (o.made == Made::Leftover) {
            ASSERT_TRUE(WriteFileBytes(name, leftover)) << o.name;
        } else if (o.made == Made::Folder) {
            ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << o.name;
        } else {
            const bool deleted = o.made == Made::DeletedWhileHeld;
            HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, deleted ? FILE_SHARE_DELETE : 0,
                                   nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE) << o.name;
            held.push_back(h);
            if (deleted) {
                ASSERT_TRUE(DeleteFileA(name.c_str())) << o.name;
            }
        }
    }

    answers.namesTried = 0;
    ExpectInstallWithNamesFrom(next + static_cast<unsigned>(count));
    EXPECT_EQ(answers.namesTried, static_cast<int>(count) + 10);

    for (HANDLE h : held)
        CloseHandle(h);
    std::vector<std::string> left = TempFilesIn(temp);
    EXPECT_EQ(ReadFileBytes(NameAt(tempWithSlash, next)), leftover) << "the leftover was opened";
    EXPECT_EQ(ReadFileBytes(NameAt(tempWithSlash, next + 1)), Bytes{}) << "the held file was written";
    EXPECT_TRUE(IsFolder(NameAt(tempWithSlash, next + 2)));
    EXPECT_EQ(left.size(), 3u) << "only the leftover, the held file and the folder are left";
    RemoveTree(NameAt(tempWithSlash, next + 2));
}

TEST_F(CreateFileStandInTest, FolderThatTakesNoNewFileGivesElevenAndUndoesTheRun)
{
    struct Case {
        const char* name;
        DWORD error;   // the answer for every temporary name
        int minTries;  // names tried before the run gives up, at least
        int maxTries;  // and at most
    };
    const Case cases[] = {
        // A folder that refuses new files answers so for every name: a few
        // are passed over, as files awaiting deletion, and then the run stops.
        {"every name access denied", ERROR_ACCESS_DENIED, 2, 64},
        {"every name taken", ERROR_FILE_EXISTS, 0x10000, 0x10000},
        {"folder missing", ERROR_PATH_NOT_FOUND, 1, 1},
        {"disk full", ERROR_DISK_FULL, 1, 1},
        {"write-protected", ERROR_WRITE_PROTECT, 1, 1},
    };
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallRecorder();
        answers.refuseEveryName = c.error;
        answers.namesTried = 0;
        const std::string target = dir / "Vorn";
        ASSERT_EQ(StartInstall(target, package), StepDone);
        EXPECT_EQ(DrivePump().result, StepFailed);
        EXPECT_EQ(ui.errors, std::vector<int>{11});
        EXPECT_GE(answers.namesTried, c.minTries);
        EXPECT_LE(answers.namesTried, c.maxTries);
        EXPECT_FALSE(Exists(target)) << "the folder this run created is removed";
        EXPECT_EQ(extraction.packageStream, nullptr);
        EXPECT_EQ(extraction.memberIndex, 0);
        EXPECT_STREQ(extraction.tempPath, "");
        EXPECT_EQ(TempFilesIn(temp), std::vector<std::string>{});
    }
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

// Where in the package a write to the temporary file is first refused.
struct WriteFault {
    const char* name;
    int member;        // the member being copied when the fault goes in
    int bytesToCome;   // that member's bytes still to be read then
    bool closingPair;  // the package ends with its closing pair (else the file ends in the tenth member)
};

TEST_F(TempFileTest, TemporaryFileRefusingWritesGivesElevenAndUndoesTheRun)
{
    // A disk that fills up refuses the next write. Without a small drive to
    // fill, the test makes the pump's own stream refuse it: at the end of a
    // slice, a descriptor open only for reading is put under the temporary
    // stream's, as the pump tests do with the package stream.
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    // A first member longer than a block.
    members[0] = LongMember(40000);
    ASSERT_GT(members[0].size(), 100u + kBlockSize);
    ASSERT_GT(members[2].size() % kBlockSize, 100u) << "member 2's last block must still be held at its end";
    const WriteFault faults[] = {
        {"a whole block of member 0 still to be written", 0, static_cast<int>(members[0].size()) - 100, true},
        {"the last bytes of member 2, written at its closing marker", 2, 100, true},
        {"the tenth member, written at the closing pair", 9, static_cast<int>(members[9].size()) / 2, true},
        {"the tenth member, written at the end of the file", 9, static_cast<int>(members[9].size()) / 2, false},
    };
    const std::string readable = dir / "read-only";
    ASSERT_TRUE(WriteFileBytes(readable, {'r'}));
    for (const WriteFault& f : faults) {
        SCOPED_TRACE(f.name);
        Bytes package = JoinPackage(members);
        if (!f.closingPair)
            package.resize(package.size() - 2 - 8);  // no CR LF, no closing pair
        // Bytes from the start of the package to the fault, and filler that
        // ends a slice there.
        size_t at = 0;
        for (int i = 0; i <= f.member; ++i)
            at += 4 + members[static_cast<size_t>(i)].size();
        at -= static_cast<size_t>(f.bytesToCome);
        const size_t filler = (kSliceLimit + 1 - at % (kSliceLimit + 1)) % (kSliceLimit + 1);
        const std::string file = WritePackageFile(dir, "installer.bin", package, filler);

        InstallRecorder();
        const std::string target = dir / "Vorn";
        RemoveTree(target);
        ASSERT_EQ(StartInstall(target, file), StepDone);
        while (TakenBytes(extraction.packageBlock) < static_cast<int64_t>(filler + at))
            ASSERT_EQ(PumpSlice(), StepAgain);
        ASSERT_EQ(TakenBytes(extraction.packageBlock), static_cast<int64_t>(filler + at));
        ASSERT_EQ(extraction.memberIndex, f.member);
        ASSERT_NE(extraction.tempStream, nullptr);
        FILE* readOnly = fopen(readable.c_str(), "rb");
        ASSERT_NE(readOnly, nullptr);
        const bool swapped = _dup2(_fileno(readOnly), _fileno(extraction.tempStream)) == 0;
        fclose(readOnly);
        ASSERT_TRUE(swapped);

        EXPECT_EQ(DrivePump().result, StepFailed);
        EXPECT_EQ(ui.errors, std::vector<int>{11});
        EXPECT_EQ(ui.tempPaths.size(), static_cast<size_t>(f.member)) << "the failing member never reaches its decode";
        EXPECT_FALSE(Exists(target)) << "members written before and the folder this run created are removed";
        EXPECT_EQ(extraction.packageStream, nullptr);
        EXPECT_EQ(extraction.tempStream, nullptr);
        EXPECT_EQ(extraction.memberIndex, 0);
        EXPECT_EQ(TempFilesIn(temp), std::vector<std::string>{});
        EXPECT_EQ(ReadFileBytes(readable), Bytes{'r'});
    }
}

}  // namespace
}  // namespace vorn::test
