// Existing files, backups and the failure boxes with what they leave on disk.
#include <gtest/gtest.h>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "engine_fixture.h"
#include "package/existing_files.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/member_table.h"

namespace vorn::test {
namespace {

const Bytes kOld = {'o', 'l', 'd'};
const Bytes kOlder = {'o', 'l', 'd', 'e', 'r'};

class ExistingFileTest : public ::testing::Test {
protected:
    void SetUp() override { InstallRecorder(); }
    void TearDown() override
    {
        if (extraction.packageStream || extraction.tempStream)
            RollBack();
    }
    ScratchFolder dir{"existing"};
};

TEST_F(ExistingFileTest, RulesTable)
{
    constexpr DWORD kPlain = FILE_ATTRIBUTE_NORMAL;
    constexpr DWORD kAbsent = 0;
    struct Case {
        const char* name;
        const char* folder;     // below the scratch folder
        const char* file;       // the member's file name
        DWORD attributes;       // of the existing file; kAbsent: none there
        int makeBackups, keepSettings;
        bool oldBackup;         // a "backup" folder with an older same-named file
        int result;             // of CheckExistingFile
        bool stays;             // the old file is still at its place
        bool backedUp;          // the old file is now in "backup"
    };
    const Case cases[] = {
        {"absent, backups on", "a", "vorn32.exe", kAbsent, 1, 1, false, 1, false, false},
        {"existing plain, backups off", "b", "vorn32.exe", kPlain, 0, 0, false, 1, true, false},
        {"read-only and hidden, backups off", "c", "readme.txt",
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0, 0, false, 1, true, false},
        {"read-only settings kept", "d", "vorn.ini", FILE_ATTRIBUTE_READONLY, 0, 1, false, 3, true, false},
        {"settings not kept, backups off", "e", "aliases.ini", kPlain, 0, 0, false, 1, true, false},
        {"settings not kept, backups on", "f", "urls.ini", kPlain, 1, 0, false, 1, false, true},
        {"keep on, program backed up", "g", "vorn32.exe", kPlain, 1, 1, false, 1, false, true},
        {"both on, vorn.ini stays", "h", "vorn.ini", kPlain, 1, 1, false, 3, true, false},
        {"hidden file backed up", "i", "vorn.hlp", FILE_ATTRIBUTE_HIDDEN, 1, 0, false, 1, false, true},
        {"folder path with .ini keeps everything", "x.ini", "vorn32.exe", kPlain, 1, 1, false, 3, true, false},
        {"folder path with .INI counts for nothing", "x.INI", "vorn32.exe", kPlain, 0, 1, false, 1, true, false},
        {"earlier backup folder reused, old backup replaced", "j", "vorn32.exe", kPlain, 1, 0, true, 1, false,
         true},
    };
    for (const Case& c : cases) {
        InstallRecorder();
        std::string folder = dir / c.folder;
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string file = folder + "\\" + c.file;
        if (c.attributes != kAbsent) {
            WriteFileBytes(file, kOld);
            SetFileAttributesA(file.c_str(), c.attributes);
            constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
            ASSERT_EQ(Attributes(file) & kMarks, c.attributes & kMarks) << c.name << ": planted as asked";
        }
        if (c.oldBackup) {
            CreateDirectoryA((folder + "\\backup").c_str(), nullptr);
            WriteFileBytes(folder + "\\backup\\" + c.file, kOlder);
            WriteFileBytes(folder + "\\backup\\other.txt", kOlder);
        }
        installSettings = InstallSettings{};
        lstrcpyA(installSettings.folder, folder.c_str());
        installSettings.makeBackups = c.makeBackups;
        installSettings.keepSettings = c.keepSettings;
        ResetExtraction();

        EXPECT_EQ(CheckExistingFile(file.c_str()), c.result) << c.name;
        EXPECT_TRUE(ui.errors.empty()) << c.name;
        EXPECT_EQ(Exists(file), c.stays) << c.name;
        if (c.stays) {
            EXPECT_EQ(ReadFileBytes(file), kOld) << c.name;
            // Made plain before any decision, also when left in place.
            EXPECT_EQ(Attributes(file) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u) << c.name;
        }
        std::string backup = folder + "\\backup\\" + c.file;
        if (c.backedUp) {
            EXPECT_EQ(ReadFileBytes(backup), kOld) << c.name;
            EXPECT_STREQ(extraction.backupFolder, (folder + "\\backup\\").c_str()) << c.name;
        } else {
            EXPECT_FALSE(Exists(backup)) << c.name;
            EXPECT_FALSE(Exists(folder + "\\backup")) << c.name << ": no backup, no backup folder";
        }
        if (c.oldBackup) {
            EXPECT_EQ(ReadFileBytes(folder + "\\backup\\other.txt"), kOlder) << c.name;
        }
    }
}

TEST_F(ExistingFileTest, WholeRunOverAnEarlierInstallWithBothOptions)
{
    std::string target = dir / "Vorn";
    CreateDirectoryA(target.c_str(), nullptr);
    for (const char* name : kMemberNames)
        WriteFileBytes(target + "\\" + name, kOld);
    std::string package = dir / "installer.bin";
    WriteFileBytes(package, DemoPackage());
    ASSERT_EQ(StartInstall(target, package, 1, 1), StepDone);
    EXPECT_EQ(DrivePump().result, StepDone);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(extraction.memberIndex, 10);
    for (int i = 0; i < 10; ++i) {
        std::string name = kMemberNames[i];
        if (i >= 5) {  // settings: kept, not backed up
            EXPECT_EQ(ReadFileBytes(target + "\\" + name), kOld) << name;
            EXPECT_FALSE(Exists(target + "\\backup\\" + name)) << name;
        } else {
            EXPECT_EQ(ReadFileBytes(target + "\\" + name), ReadFileBytes(PayloadFile(name))) << name;
            EXPECT_EQ(ReadFileBytes(target + "\\backup\\" + name), kOld) << name;
        }
    }
}

// Members of the demo package, changed by a case and joined again.
Bytes PackageWith(void (*change)(std::vector<Bytes>&))
{
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    if (change)
        change(members);
    return JoinPackage(members);
}

TEST_F(ExistingFileTest, FailuresTable)
{
    struct Case {
        const char* name;
        const char* target;                          // below the scratch folder
        void (*prepare)(const std::string& target);  // on the target before the run
        bool targetExists;                           // the target folder is there before the run
        int makeBackups, keepSettings;
        void (*change)(std::vector<Bytes>&);         // the package's members
        int createResult;                            // of CreateDestinationFolder
        int pumpResult;
        int box;
        void (*check)(const std::string& target);    // what the run left
    };
    const Case cases[] = {
        {"parent folder missing", "missing\\Vorn", nullptr, false, 0, 0, nullptr, 2, -1, 1,
         [](const std::string& t) { EXPECT_FALSE(Exists(t + "\\..")); }},
        {"destination name taken by a folder", "Vorn",
         [](const std::string& t) { CreateDirectoryA((t + "\\readme.txt").c_str(), nullptr); }, true, 0, 0,
         nullptr, 1, 0, 4,
         [](const std::string& t) {
             EXPECT_TRUE(IsFolder(t + "\\readme.txt"));
             EXPECT_FALSE(Exists(t + "\\vorn32.exe"));
             EXPECT_FALSE(Exists(t + "\\ircintro.hlp"));
         }},
        {"\"backup\" taken by a plain file", "Vorn",
         [](const std::string& t) {
             WriteFileBytes(t + "\\vorn32.exe", kOld);
             WriteFileBytes(t + "\\backup", kOlder);
         },
         true, 1, 0, nullptr, 1, 2, 7,
         [](const std::string& t) {
             EXPECT_EQ(ReadFileBytes(t + "\\vorn32.exe"), kOld);
             EXPECT_EQ(ReadFileBytes(t + "\\backup"), kOlder);
         }},
        {"backup blocked by a folder of the same name", "Vorn",
         [](const std::string& t) {
             WriteFileBytes(t + "\\vorn32.exe", kOld);
             WriteFileBytes(t + "\\vorn.hlp", kOld);
             CreateDirectoryA((t + "\\backup").c_str(), nullptr);
             CreateDirectoryA((t + "\\backup\\vorn.hlp").c_str(), nullptr);
         },
         true, 1, 0, nullptr, 1, 2, 7,
         [](const std::string& t) {
             EXPECT_EQ(ReadFileBytes(t + "\\vorn.hlp"), kOld) << "still at its place";
             EXPECT_FALSE(Exists(t + "\\vorn32.exe")) << "written by the run, deleted";
             EXPECT_EQ(ReadFileBytes(t + "\\backup\\vorn32.exe"), kOld);
         }},
        {"corrupted member (header cut short)", "Vorn", nullptr, false, 0, 0,
         [](std::vector<Bytes>& m) { m[3] = {0x10, 0x02}; }, 1, 0, 5,
         [](const std::string& t) { EXPECT_FALSE(Exists(t)) << "created folder removed"; }},
        {"member declaring size 0", "Vorn", nullptr, false, 0, 0,
         [](std::vector<Bytes>& m) { m[1] = {0, 0, 0, 0, 0x55}; }, 1, 0, 5,
         [](const std::string& t) { EXPECT_FALSE(Exists(t)); }},
        {"nine members", "Vorn", nullptr, false, 0, 0, [](std::vector<Bytes>& m) { m.pop_back(); }, 1, 0, 5,
         [](const std::string& t) { EXPECT_FALSE(Exists(t)) << "no success with a file missing"; }},
        {"nine members, existing urls.ini kept", "Vorn",
         [](const std::string& t) { WriteFileBytes(t + "\\urls.ini", kOld); }, true, 0, 1,
         [](std::vector<Bytes>& m) { m.pop_back(); }, 1, 0, 5,
         [](const std::string& t) {
             EXPECT_EQ(ReadFileBytes(t + "\\urls.ini"), kOld);
             EXPECT_FALSE(Exists(t + "\\vorn32.exe"));
             EXPECT_FALSE(Exists(t + "\\servers.ini"));
         }},
        {"corrupt member after kept settings", "Vorn",
         [](const std::string& t) { WriteFileBytes(t + "\\vorn.ini", kOld); }, true, 0, 1,
         [](std::vector<Bytes>& m) { m[7] = {0x01}; }, 1, 0, 5,
         [](const std::string& t) {
             EXPECT_EQ(ReadFileBytes(t + "\\vorn.ini"), kOld) << "kept settings survive the rollback";
             EXPECT_FALSE(Exists(t + "\\aliases.ini"));
             EXPECT_FALSE(Exists(t + "\\popups.ini")) << "the failing member's file";
             EXPECT_FALSE(Exists(t + "\\vorn32.exe"));
         }},
    };
    for (const Case& c : cases) {
        InstallRecorder();
        std::string target = dir / c.target;
        RemoveTree(target);
        if (c.targetExists)
            CreateDirectoryA(target.c_str(), nullptr);
        if (c.prepare)
            c.prepare(target);
        std::string package = dir / "installer.bin";
        WriteFileBytes(package, PackageWith(c.change));
        int created = StartInstall(target, package, c.makeBackups, c.keepSettings);
        EXPECT_EQ(created, c.createResult) << c.name;
        int result = -1;
        if (created == StepDone)
            result = DrivePump().result;
        EXPECT_EQ(result, c.pumpResult) << c.name;
        EXPECT_EQ(ui.errors, std::vector<int>{c.box}) << c.name;
        EXPECT_EQ(extraction.packageStream, nullptr) << c.name;
        EXPECT_EQ(extraction.memberIndex, 0) << c.name;
        EXPECT_EQ(TempFilesLeft(), "") << c.name;
        SCOPED_TRACE(c.name);
        c.check(target);
    }
}

TEST_F(ExistingFileTest, DestinationNamingAFile)
{
    std::string target = dir / "taken";
    WriteFileBytes(target, kOld);
    std::string package = dir / "installer.bin";
    WriteFileBytes(package, DemoPackage());
    ASSERT_EQ(StartInstall(target, package), StepDone);
    EXPECT_EQ(extraction.folderCreated, 0);
    EXPECT_EQ(DrivePump().result, StepFailed);
    EXPECT_EQ(ui.errors, std::vector<int>{4});
    EXPECT_EQ(ReadFileBytes(target), kOld);
}

class TemporaryFolderFailureTest : public ExistingFileTest {
protected:
    TemporaryFolderOverride tempFolder_;
};

TEST_F(TemporaryFolderFailureTest, UnusableTemporaryFolderGivesEleven)
{
    // GetTempPathA hands back TMP as it is, without looking at it.
    WriteFileBytes(dir / "a-file", kOld);
    for (std::string temp : {dir / "no-such-folder", dir / "a-file"}) {
        InstallRecorder();
        tempFolder_.PointAt(temp);
        std::string package = dir / "installer.bin";
        WriteFileBytes(package, DemoPackage());
        std::string target = dir / "Vorn";
        ASSERT_EQ(StartInstall(target, package), StepDone) << temp;
        PumpRun run = DrivePump();
        EXPECT_EQ(run.result, StepFailed) << temp;
        EXPECT_EQ(ui.errors, std::vector<int>{11}) << temp;
        EXPECT_STREQ(extraction.tempPath, "") << temp << ": no file was made, none is the run's";
        EXPECT_EQ(TempFilesIn(temp), std::vector<std::string>{}) << temp;
        EXPECT_FALSE(Exists(target)) << temp << ": created folder removed";
        EXPECT_EQ(ReadFileBytes(dir / "a-file"), kOld);
    }
}

}  // namespace
}  // namespace vorn::test
