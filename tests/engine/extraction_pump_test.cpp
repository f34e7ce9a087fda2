// The pump on real folders: whole extractions, slicing, the closing pair,
// abort and resume, a temporary file or installer file whose reading fails,
// help index clean-up, temporary-file placement.
#include <gtest/gtest.h>
#include <io.h>

#include <algorithm>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "engine_fixture.h"
#include "package/existing_files.h"
#include "package/extract_member.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/member_path.h"
#include "package/member_table.h"

namespace vorn::test {
namespace {

class PumpTest : public ::testing::Test {
protected:
    void SetUp() override { InstallRecorder(); }
    void TearDown() override { RollBackIfOpen(); }
    static void RollBackIfOpen()
    {
        if (extraction.packageStream || extraction.tempStream)
            RollBack();
    }
    ScratchFolder dir{"pump"};
};

TEST_F(PumpTest, TenMembersIntoANewFolder)
{
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 20000);
    std::string target = dir / "Vorn";
    ASSERT_EQ(StartInstall(target, package), StepDone);
    EXPECT_EQ(extraction.folderCreated, 1);
    ASSERT_TRUE(IsFolder(target));
    EXPECT_EQ(ui.statuses.front(), "Scanning files...");

    // The first slice ends on its 15001st byte, still in the filler.
    ASSERT_EQ(PumpSlice(), StepAgain);
    EXPECT_EQ(TakenBytes(extraction.packageBlock), 15001);
    EXPECT_EQ(extraction.tempStream, nullptr);
    EXPECT_EQ(ui.mainBarPositions.back(), 15001);
    EXPECT_EQ(ui.installerLength, static_cast<int64_t>(ReadFileBytes(package).size()));

    PumpRun run = DrivePump();
    EXPECT_EQ(run.result, StepDone);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(extraction.memberIndex, 10);
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_EQ(extraction.tempStream, nullptr);
    EXPECT_EQ(ui.tempPaths.size(), 10u) << "one temporary file for each member";
    EXPECT_EQ(TempFilesLeft(), "");
    ExpectPayloadInstalled(target);
    EXPECT_FALSE(Exists(target + "\\backup"));

    // Result 1 comes at the first marker of the closing pair: the last bar
    // draw sees the stream right behind it, with four marker bytes and CR LF unread.
    long closingPair = static_cast<long>(20000 + DemoPackage().size() - 2 - 8);
    EXPECT_EQ(ui.mainBarPositions.back(), closingPair + 4);

    // The status line named each member while copying and while extracting.
    auto shown = [&](const std::string& text) {
        return std::find(ui.statuses.begin(), ui.statuses.end(), text) != ui.statuses.end();
    };
    EXPECT_TRUE(shown("Scanning file: vorn32.exe"));
    EXPECT_TRUE(shown("Extracting file: vorn32.exe"));
    EXPECT_TRUE(shown("Scanning file: urls.ini"));
    EXPECT_EQ(ui.statuses.back(), "Extracting file: urls.ini");
    EXPECT_GT(ui.memberReports, 0);
}

TEST_F(PumpTest, MembersAfterTheTenthAreNeverRead)
{
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    ASSERT_EQ(members.size(), 10u);
    members.push_back(members[3]);  // an eleventh member
    std::string package = WritePackageFile(dir, "eleven.bin", JoinPackage(members), 100);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    PumpRun run = DrivePump();
    EXPECT_EQ(run.result, StepDone);
    EXPECT_EQ(extraction.memberIndex, 10);
    EXPECT_TRUE(ui.errors.empty());
    ExpectPayloadInstalled(dir / "Vorn");
}

TEST_F(PumpTest, FileWithoutMarkerEndsWithNoMember)
{
    std::string package = dir / "plain.bin";
    WriteFileBytes(package, Filler(40000));
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    PumpRun run = DrivePump();
    EXPECT_EQ(run.result, StepDone);
    EXPECT_EQ(run.slices, 3);  // 15001 + 15001 + the rest, ended within its own call
    EXPECT_EQ(extraction.memberIndex, 0);
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(PumpTest, LastMemberWithoutClosingMarkerIsExtracted)
{
    const Bytes lastMember = SplitMembers(DemoPackage()).back();
    for (int pending : {0, 1, 2, 3}) {  // marker bytes left pending at the end of the file
        InstallRecorder();
        Bytes package = DemoPackage();
        package.resize(package.size() - 2 - 8);  // no closing pair, no CR LF
        Bytes marker = Marker();
        package.insert(package.end(), marker.begin(), marker.begin() + pending);
        std::string file = WritePackageFile(dir, "open-end.bin", package, 10);
        RemoveTree(dir / "Vorn");
        ASSERT_EQ(StartInstall(dir / "Vorn", file), StepDone) << pending;
        EXPECT_EQ(DrivePump().result, StepDone) << pending;
        EXPECT_EQ(extraction.memberIndex, 10) << pending;
        EXPECT_EQ(extraction.memberBytes, static_cast<int>(lastMember.size()) + pending)
            << pending << ": the pending marker bytes are the last member's data";
        ExpectPayloadInstalled(dir / "Vorn");
    }
}

TEST_F(PumpTest, FewerThanTenMembersEndingWithoutClosingPairAreUndone)
{
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    members.pop_back();
    Bytes package = JoinPackage(members);
    package.resize(package.size() - 2 - 8);  // no closing pair, no CR LF
    std::string file = WritePackageFile(dir, "nine-open-end.bin", package, 10);
    std::string target = dir / "Vorn";
    ASSERT_EQ(StartInstall(target, file), StepDone);
    EXPECT_EQ(DrivePump().result, StepFailed);
    EXPECT_EQ(ui.errors, std::vector<int>{5});
    EXPECT_EQ(ui.statuses.back(), "Extracting file: servers.ini") << "the ninth member was extracted";
    EXPECT_EQ(extraction.memberIndex, 0);
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_FALSE(Exists(target)) << "a package short of members is no success: all undone";
}

// The newest msvcrt descriptor open on path (the same file by volume and
// index), or -1: while a member decodes, the decoder's reading stream, opened
// after the pump's writing one.
int DescriptorOn(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    BY_HANDLE_FILE_INFORMATION want, have;
    bool known = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &want);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    int newest = -1;
    for (int fd = 3; known && fd < 256; ++fd) {
        auto open = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
        if (open != INVALID_HANDLE_VALUE && GetFileInformationByHandle(open, &have) &&
            have.dwVolumeSerialNumber == want.dwVolumeSerialNumber &&
            have.nFileIndexHigh == want.nFileIndexHigh && have.nFileIndexLow == want.nFileIndexLow)
            newest = fd;
    }
    return newest;
}

// Member 1's temporary file fails to read part-way, as on a failing disk.
// Windows has no file whose reads fail on demand, so the test makes the
// engine's own stream fail: when the decoder asks for the member bar's width
// it has read the header through the stream WriteMember opened (and msvcrt
// has buffered its first 4096 bytes); a handle open only for writing is then
// put under that stream's descriptor, and the system refuses its next refill.
struct ReadFault {
    std::string writeOnlyFile;
    bool injected = false;
    int reportsBefore = 0;  // member bar reports when the fault was put in
} readFault;

TEST_F(PumpTest, TemporaryFileFailingToReadGivesFiveAndUndoesTheRun)
{
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    ASSERT_GT(members[1].size(), 4096u + 1000u) << "member 1 must outgrow one stream buffer";
    readFault = ReadFault{dir / "write-only", false, 0};
    extractionUi.memberBar.BarWidth = [](void*) {
        if (extraction.memberIndex == 1 && !readFault.injected) {
            int fd = DescriptorOn(extraction.tempPath);
            FILE* writeOnly = fopen(readFault.writeOnlyFile.c_str(), "wb");
            readFault.injected = fd >= 0 && writeOnly && _dup2(_fileno(writeOnly), fd) == 0;
            if (writeOnly)
                fclose(writeOnly);
            readFault.reportsBefore = ui.memberReports;
        }
        return 160;
    };
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    std::string target = dir / "Vorn";
    ASSERT_EQ(StartInstall(target, package), StepDone);
    EXPECT_EQ(DrivePump().result, StepFailed);
    ASSERT_TRUE(readFault.injected) << "the temporary stream was not found";
    EXPECT_GT(ui.memberReports, readFault.reportsBefore) << "the decode ran part-way before the refused read";
    EXPECT_EQ(ui.errors, std::vector<int>{5});
    EXPECT_EQ(ui.statuses.back(), "Extracting file: vorn.hlp");
    EXPECT_FALSE(Exists(target + "\\vorn.hlp")) << "no wrong installed file";
    EXPECT_FALSE(Exists(target + "\\vorn32.exe")) << "the member written before is undone";
    EXPECT_FALSE(Exists(target)) << "the folder this run created is removed";
    EXPECT_FALSE(Exists(extraction.tempPath));
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_EQ(extraction.memberIndex, 0);
}

// The installer file fails to read part-way through the last member, as on a
// failing disk. The last member has no closing marker, so the end of what
// could be read must not pass for the end of the package. The fault goes in
// as above: a handle open only for writing under the package stream's
// descriptor, once the pump names the tenth member.
struct PackageReadFault {
    std::string writeOnlyFile;
    bool injected = false;
    void (*recordStatus)(const char* text) = nullptr;
} packageFault;

TEST_F(PumpTest, InstallerFileFailingToReadInTheLastMemberGivesFiveAndUndoesTheRun)
{
    // A tenth member longer than all the pump reads ahead, so the fault
    // falls inside it.
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    members[9] = LongMember(60000);
    packageFault = PackageReadFault{dir / "write-only", false, extractionUi.SetStatus};
    extractionUi.SetStatus = [](const char* text) {
        packageFault.recordStatus(text);
        if (extraction.memberIndex == 9 && extraction.packageStream && !packageFault.injected) {
            FILE* writeOnly = fopen(packageFault.writeOnlyFile.c_str(), "wb");
            packageFault.injected = writeOnly && _dup2(_fileno(writeOnly), _fileno(extraction.packageStream)) == 0;
            if (writeOnly)
                fclose(writeOnly);
        }
    };
    std::string package = WritePackageFile(dir, "installer.bin", JoinPackage(members), 10);
    std::string target = dir / "Vorn";
    ASSERT_EQ(StartInstall(target, package), StepDone);
    EXPECT_EQ(DrivePump().result, StepFailed);
    ASSERT_TRUE(packageFault.injected) << "the pump never reached the tenth member";
    EXPECT_EQ(ui.errors, std::vector<int>{5});
    EXPECT_FALSE(Exists(target + "\\urls.ini")) << "no wrong installed file";
    EXPECT_FALSE(Exists(target)) << "the members written before and the folder this run created are removed";
    EXPECT_EQ(TempFilesLeft(), "");
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_EQ(extraction.memberIndex, 0);
}

TEST_F(PumpTest, ResumeReadsOnFromTheVeryByte)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
    int64_t stoppedAt = TakenBytes(extraction.packageBlock);
    // The abort question answered No: the wizard asks for the next slice.
    size_t draws = ui.mainBarPositions.size();
    EXPECT_EQ(DrivePump().result, StepDone);
    // The next slice ends 15001 bytes on, or at the closing pair if that comes first.
    int64_t closingPairEnd = static_cast<int64_t>(ReadFileBytes(package).size()) - 2 - 4;
    ASSERT_GT(ui.mainBarPositions.size(), draws);
    EXPECT_EQ(ui.mainBarPositions[draws], std::min(stoppedAt + 15001, closingPairEnd));
    ExpectPayloadInstalled(dir / "Vorn");
}

TEST_F(PumpTest, AbortAfterTwoMembersRollsBackAndFullResetStartsAgain)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    std::string target = dir / "Vorn";
    ASSERT_EQ(StartInstall(target, package), StepDone);
    ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
    ASSERT_TRUE(Exists(target + "\\vorn32.exe"));
    ASSERT_TRUE(Exists(target + "\\vorn.hlp"));
    ASSERT_TRUE(Exists(extraction.tempPath));
    std::string tempPath = extraction.tempPath;

    // Abort confirmed: the wizard rolls back and resets.
    RollBack();
    EXPECT_EQ(extraction.memberIndex, 0);
    EXPECT_EQ(extraction.packageStream, nullptr);
    EXPECT_EQ(extraction.tempStream, nullptr);
    EXPECT_FALSE(Exists(tempPath));
    EXPECT_EQ(TempFilesLeft(), "");
    EXPECT_FALSE(Exists(target + "\\vorn32.exe"));
    EXPECT_FALSE(Exists(target + "\\vorn.hlp"));
    EXPECT_FALSE(Exists(target)) << "the folder this run created";
    RollBack();  // a second rollback only retries the temporary file
    ResetExtraction();

    // The next Install starts from the first byte.
    ui.mainBarPositions.clear();
    ASSERT_EQ(StartInstall(target, package), StepDone);
    ASSERT_EQ(PumpSlice(), StepAgain);
    EXPECT_EQ(ui.mainBarPositions.back(), 15001);
    EXPECT_EQ(DrivePump().result, StepDone);
    ExpectPayloadInstalled(target);
}

TEST_F(PumpTest, AbortInAnExistingFolderKeepsTheFolderAndItsOtherFiles)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    std::string target = dir / "Existing";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteFileBytes(target + "\\notes.txt", {'m', 'i', 'n', 'e'});
    ASSERT_EQ(StartInstall(target, package), StepDone);
    EXPECT_EQ(extraction.folderCreated, 0);
    ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
    RollBack();
    EXPECT_FALSE(Exists(target + "\\vorn32.exe"));
    EXPECT_FALSE(Exists(target + "\\vorn.hlp"));
    EXPECT_TRUE(IsFolder(target));
    EXPECT_EQ(ReadFileBytes(target + "\\notes.txt"), (Bytes{'m', 'i', 'n', 'e'}));
}

TEST_F(PumpTest, AbortKeepsFilesMovedIntoBackup)
{
    std::string package = PackageStoppingAfterTwoMembers(dir);
    std::string target = dir / "Existing";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteFileBytes(target + "\\vorn32.exe", {'o', 'l', 'd'});
    WriteFileBytes(target + "\\vorn.hlp", {'h', 'l', 'p'});
    ASSERT_EQ(StartInstall(target, package, /*makeBackups=*/1), StepDone);
    ASSERT_NO_FATAL_FAILURE(PumpToTwoMembers());
    RollBack();
    EXPECT_FALSE(Exists(target + "\\vorn32.exe"));
    EXPECT_FALSE(Exists(target + "\\vorn.hlp"));
    EXPECT_EQ(ReadFileBytes(target + "\\backup\\vorn32.exe"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(ReadFileBytes(target + "\\backup\\vorn.hlp"), (Bytes{'h', 'l', 'p'}));
}

TEST_F(PumpTest, HelpIndexFilesGoAfterTheirHelpFiles)
{
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    struct Case {
        const char* name;
        DWORD vornGid;      // attributes of a planted "vorn.gid", or 0 for none
        DWORD ircintroGid;  // the same for "ircintro.gid"
    };
    const Case cases[] = {
        {"both plain", FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
        {"read-only", FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
        {"only vorn.gid", FILE_ATTRIBUTE_READONLY, 0},
        {"none", 0, 0},
    };
    for (const Case& c : cases) {
        std::string target = dir / "Help";
        RemoveTree(target);
        CreateDirectoryA(target.c_str(), nullptr);
        for (auto [name, attributes] : {std::pair{"vorn.gid", c.vornGid}, std::pair{"ircintro.gid", c.ircintroGid}}) {
            if (!attributes)
                continue;
            std::string path = target + "\\" + name;
            WriteFileBytes(path, {'g'});
            SetFileAttributesA(path.c_str(), attributes);
            ASSERT_TRUE(Exists(path)) << c.name << ": " << name << " planted";
            ASSERT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, attributes & FILE_ATTRIBUTE_READONLY)
                << c.name << ": " << name << " planted read-only as asked";
        }
        InstallRecorder();
        ASSERT_EQ(StartInstall(target, package), StepDone) << c.name;
        EXPECT_EQ(DrivePump().result, StepDone) << c.name;
        EXPECT_TRUE(ui.errors.empty()) << c.name;
        EXPECT_FALSE(Exists(target + "\\vorn.gid")) << c.name;
        EXPECT_FALSE(Exists(target + "\\ircintro.gid")) << c.name;
        ExpectPayloadInstalled(target);
    }
}

TEST_F(PumpTest, KeptHelpFileLeavesItsIndexAlone)
{
    // A folder path holding ".ini" makes every existing file a settings file.
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    std::string target = dir / "client.ini";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteFileBytes(target + "\\vorn.hlp", {'o', 'l', 'd'});
    WriteFileBytes(target + "\\vorn.gid", {'g'});
    ASSERT_EQ(StartInstall(target, package, 0, /*keepSettings=*/1), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    EXPECT_EQ(ReadFileBytes(target + "\\vorn.hlp"), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(Exists(target + "\\vorn.gid"));
    EXPECT_EQ(ReadFileBytes(target + "\\vorn32.exe"), ReadFileBytes(PayloadFile("vorn32.exe")));
}

class TempFolderTest : public PumpTest {
protected:
    void PointTempAt(const std::string& folder) const { tempFolder_.PointAt(folder); }
    TemporaryFolderOverride tempFolder_;
};

// Every member went through a temporary file of the run's own in `folder`,
// and none is left there.
void ExpectTempFilesIn(const std::string& folder)
{
    ASSERT_EQ(ui.tempPaths.size(), 10u);
    for (const std::string& path : ui.tempPaths) {
        EXPECT_TRUE(IsTempFileIn(path, folder)) << path;
        EXPECT_FALSE(Exists(path)) << path;
    }
    EXPECT_EQ(TempFilesIn(folder), std::vector<std::string>{}) << folder;
    EXPECT_STREQ(extraction.tempPath, "");
}

TEST_F(TempFolderTest, TemporaryFileLivesInTheTemporaryFolder)
{
    std::string temp = dir / "temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    PointTempAt(temp);
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    ExpectTempFilesIn(temp + "\\");
    ExpectPayloadInstalled(dir / "Vorn");
}

TEST_F(TempFolderTest, TooLongTemporaryFolderFallsBackToDriveC)
{
    // GetTempPathA then reports the size it needs and fills nothing.
    PointTempAt(dir.Path() + "\\" + std::string(320, 't'));
    std::string package = WritePackageFile(dir, "installer.bin", DemoPackage(), 10);
    ASSERT_EQ(StartInstall(dir / "Vorn", package), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    ExpectTempFilesIn("c:\\");
    ExpectPayloadInstalled(dir / "Vorn");
}

TEST(MemberPathTest, FolderBackslashName)
{
    lstrcpyA(installSettings.folder, "C:\\Program Files\\Vorn");
    char path[kPathSize];
    MemberPath(0, path);
    EXPECT_STREQ(path, "C:\\Program Files\\Vorn\\vorn32.exe");
    MemberPath(9, path);
    EXPECT_STREQ(path, "C:\\Program Files\\Vorn\\urls.ini");
    for (int outside : {-1, 10, 11}) {
        MemberPath(outside, path);
        EXPECT_STREQ(path, "") << outside;
    }
}

TEST(ScanStatusTest, NamesTheMemberOnceTheBarHasMoved)
{
    InstallRecorder();
    lstrcpyA(installSettings.folder, "C:\\Vorn");
    struct Case {
        bool barStarted;
        int member;
        const char* text;
    };
    const Case cases[] = {
        {false, 0, "Scanning files..."},
        {true, 0, "Scanning file: vorn32.exe"},
        {false, 5, "Scanning files..."},
        {true, 5, "Scanning file: vorn.ini"},
        {true, 10, "Scanning files..."},  // past the table: no name
    };
    for (const Case& c : cases) {
        ui.mainBarStarted = c.barStarted;
        extraction.memberIndex = c.member;
        ShowScanStatus();
        EXPECT_EQ(ui.statuses.back(), c.text) << c.barStarted << " " << c.member;
    }
    extraction.memberIndex = 0;
}

TEST(FileLengthTest, FileFarLargerThanOneMegabyteKeepsItsPosition)
{
    ScratchFolder dir{"length"};
    std::string path = dir / "large.bin";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fseek(f, 100 * 1000 * 1000 - 1, SEEK_SET);  // sparse: one byte at the end
    fputc(0, f);
    fclose(f);
    f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    for (long position : {0L, 90L * 1000 * 1000, 100L * 1000 * 1000}) {
        fseek(f, position, SEEK_SET);
        EXPECT_EQ(FileLength(f), 100 * 1000 * 1000) << position;
        EXPECT_EQ(ftell(f), position) << "the position is left where it was";
    }
    fclose(f);
}

}  // namespace
}  // namespace vorn::test
