// A full disk under the temporary file and under the destination: the run
// stops with its box and is rolled back, never leaving a short installed file.
// A drive without room for one more entry: the backup folder cannot be made.
// Needs the small drives that tests/wine/with-small-drive.sh maps as R: and S:.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine_fixture.h"
#include "package/existing_files.h"
#include "package/extraction_state.h"

namespace vorn::test {
namespace {

// Writes a filler file until the drive refuses more.
void FillDrive(const std::string& drive)
{
    FILE* f = fopen((drive + "\\filler").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::vector<char> block(4096, 'f');
    while (fwrite(block.data(), 1, block.size(), f) == block.size() && fflush(f) == 0) {
    }
    fclose(f);
}

TEST(FullDiskTest, RunIsStoppedAndRolledBack)
{
    const char* drive = std::getenv("VORN_SMALL_DRIVE");
    if (!drive)
        GTEST_SKIP() << "no small drive: mounting a 1 MiB tmpfs as R: needs root (see "
                        "tests/wine/with-small-drive.sh); the full-disk cases did not run";
    TemporaryFolderOverride tempFolder;
    ScratchFolder dir{"full-disk"};
    std::string small = drive;
    struct Case {
        const char* name;
        bool tempOnSmallDrive;
        bool targetOnSmallDrive;
        int box;
    };
    const Case cases[] = {
        {"temporary file on a full drive", true, false, 11},
        {"destination on a full drive", false, true, 5},
    };
    for (const Case& c : cases) {
        InstallRecorder();
        RemoveTree(small + "\\Vorn");
        RemoveTree(small + "\\filler");
        tempFolder.PointAt(c.tempOnSmallDrive ? small + "\\" : dir.Path());
        std::string target = c.targetOnSmallDrive ? small + "\\Vorn" : dir / "Vorn";
        std::string package = dir / "installer.bin";
        WriteFileBytes(package, DemoPackage());
        ASSERT_EQ(StartInstall(target, package), 1) << c.name;
        FillDrive(small);
        PumpRun run = DrivePump();
        EXPECT_EQ(run.result, 0) << c.name;
        EXPECT_EQ(ui.errors, std::vector<int>{c.box}) << c.name;
        EXPECT_EQ(TempFilesLeft(), "") << c.name;
        EXPECT_FALSE(Exists(target + "\\vorn32.exe")) << c.name << ": no short installed file";
        EXPECT_FALSE(Exists(target)) << c.name << ": the created folder is removed";
        EXPECT_EQ(extraction.packageStream, nullptr) << c.name;
        RemoveTree(small + "\\filler");
    }
}

TEST(FullDiskTest, BackupFolderThatCannotBeCreatedGivesSix)
{
    const char* drive = std::getenv("VORN_INODE_DRIVE");
    if (!drive)
        GTEST_SKIP() << "no drive short of entries: mounting a tmpfs as S: needs root (see "
                        "tests/wine/with-small-drive.sh); the case did not run";
    const std::string root = drive;
    const std::string target = root + "\\Vorn";
    const Bytes old = {'o', 'l', 'd'};
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(target + "\\vorn32.exe", old));
    // Use up the drive's remaining entries.
    for (int i = 0; i < 64 && WriteFileBytes(root + "\\entry" + std::to_string(i), {}); ++i) {
    }
    ASSERT_FALSE(CreateDirectoryA((root + "\\probe").c_str(), nullptr)) << "the drive still takes entries";

    ScratchFolder dir{"no-entries"};
    const std::string package = dir / "installer.bin";
    WriteFileBytes(package, DemoPackage());
    InstallRecorder();
    ASSERT_EQ(StartInstall(target, package, /*makeBackups=*/1), StepDone);
    EXPECT_EQ(DrivePump().result, StepBackToOptions);
    EXPECT_EQ(ui.errors, std::vector<int>{6});
    EXPECT_EQ(ReadFileBytes(target + "\\vorn32.exe"), old) << "the old file stays where it was";
    EXPECT_FALSE(Exists(target + "\\backup"));
    RollBack();
    EXPECT_TRUE(Exists(target)) << "a folder the run did not create stays";
}

}  // namespace
}  // namespace vorn::test
