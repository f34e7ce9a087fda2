// The Program Manager group against Wine's own Program Manager DDE service:
// the group folder and its five links, what a second run does, and what Wine
// does with ReplaceItem. The explorer windows that Wine opens for the group
// are closed after every test.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "shellint/program_group.h"
#include "tests/shell/test_folders.h"
#include "tests/support/progman_group.h"
#include "tests/support/wait.h"

namespace vorn::test {
namespace {

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::vector<std::string> ExpectedLinks()
{
    std::vector<std::string> names;
    for (const GroupItem& item : kGroupItems)
        names.push_back(std::string(item.name) + ".lnk");
    std::sort(names.begin(), names.end());
    return names;
}

class WineProgramGroupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = ShellTestFolder("Vorn Client");  // a space, as in a chosen folder
        payloadCopied_ = CopyPayload(folder_);
        RemoveTree(GroupFolder());
    }
    static void TearDownTestSuite()
    {
        RemoveTree(GroupFolder());
        RemoveTree(folder_);
        RemoveDirectoryA(kTestRoot);  // when nothing else is left in it
    }
    void SetUp() override
    {
        ASSERT_TRUE(payloadCopied_) << "demo payload copied from " << VORN_TEST_PAYLOAD_DIR;
        ASSERT_EQ(DdeInitializeA(&ddeInstance, DdeCallback, 0, 0), static_cast<UINT>(DMLERR_NO_ERROR));
        installSettings = {};
        lstrcpyA(installSettings.folder, folder_.c_str());
        installSettings.newShell = 1;
    }
    void TearDown() override
    {
        DdeUninitialize(ddeInstance);
        ddeInstance = 0;
        CloseGroupWindows();
    }

    // The five links point at their files in the folder, with the folder as
    // working directory; the text files name "write.exe" as icon on an old shell.
    void ExpectItems(bool newShell)
    {
        for (const GroupItem& item : kGroupItems) {
            SCOPED_TRACE(item.name);
            const ShellLink link = ReadShellLink(GroupFolder() + "\\" + item.name + ".lnk");
            ASSERT_TRUE(link.loaded);
            EXPECT_TRUE(SameText(link.target, folder_ + "\\" + item.file)) << link.target;
            EXPECT_TRUE(SameText(link.workDir, folder_)) << link.workDir;
            if (item.textFile && !newShell) {
                EXPECT_EQ(link.iconPath, "write.exe");
                EXPECT_EQ(link.iconIndex, 0);
            } else {
                EXPECT_EQ(link.iconPath, "");
            }
        }
    }

    static std::string folder_;
    static bool payloadCopied_;
};

std::string WineProgramGroupTest::folder_;
bool WineProgramGroupTest::payloadCopied_ = false;

TEST_F(WineProgramGroupTest, FirstRunMakesTheGroupWithFiveItems)
{
    RemoveTree(GroupFolder());
    EXPECT_EQ(CreateProgramGroup(), 1);
    EXPECT_GE(CloseGroupWindows(kSettleMs), 1) << "Wine opens the group in an explorer window";
    EXPECT_EQ(FolderEntries(GroupFolder(), "*.lnk"), ExpectedLinks());
    ExpectItems(true);
}

TEST_F(WineProgramGroupTest, SecondRunReplacesTheItemsInsteadOfDoublingThem)
{
    ASSERT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(kSettleMs);
    installSettings.newShell = 0;  // the second run leaves the old-shell form to see
    EXPECT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(kSettleMs);
    EXPECT_EQ(FolderEntries(GroupFolder(), "*.lnk"), ExpectedLinks());
    ExpectItems(false);
}

// What Wine's shell does with ReplaceItem: it deletes an existing item's link
// and succeeds, and it fails for an item that is not there.
TEST_F(WineProgramGroupTest, ReplaceItemDeletesAnExistingItemAndFailsForAMissingOne)
{
    ASSERT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(kSettleMs);
    ASSERT_TRUE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    EXPECT_EQ(ProgmanExecute(R"([ReplaceItem("Vorn32")])"), 1);
    EXPECT_FALSE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    EXPECT_EQ(ProgmanExecute(R"([ReplaceItem("Vorn32")])"), 0);
    EXPECT_EQ(FolderEntries(GroupFolder(), "*.lnk").size(), 4u);
}

// Wine's shell refuses an item whose file does not exist, so the group needs
// the installed files.
TEST_F(WineProgramGroupTest, WineRefusesAnItemWhoseFileIsMissing)
{
    const std::string empty = ShellTestFolder("Empty");
    lstrcpyA(installSettings.folder, empty.c_str());
    EXPECT_EQ(CreateProgramGroup(), 0);
    CloseGroupWindows(kSettleMs);
    EXPECT_FALSE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    RemoveTree(empty);
}

}  // namespace
}  // namespace vorn::test
