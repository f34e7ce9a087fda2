// Two installers at once, each into a folder of its own: their extractions
// overlap for a second or more, and neither may spoil the other's files.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"

namespace vorn::e2e {
namespace {

constexpr int kRounds = 3;

struct Twin {
    const char* exeName;  // each run needs a copy of its own: a running file cannot be replaced
    const char* folder;
};
constexpr Twin kTwins[2] = {
    {"vornsetup-twin1.exe", "c:\\vorn-twin-1"},
    {"vornsetup-twin2.exe", "c:\\vorn-twin-2"},
};

// The Options page with the folder typed in and every option off, so that
// nothing but the extraction is shared between the two runs.
void PrepareOptions(Scenario& run, const char* folder)
{
    ASSERT_TRUE(run.GoToOptions()) << folder;
    SetItemText(run.wizard, 152, folder);
    for (int box : {156, 157, 158})
        if (ItemChecked(run.wizard, box))
            Click(run.wizard, box);
    ASSERT_TRUE(WaitUntil([&] {
        return !ItemChecked(run.wizard, 156) && !ItemChecked(run.wizard, 157) && !ItemChecked(run.wizard, 158);
    })) << folder;
    ASSERT_EQ(ItemText(run.wizard, 152), folder);
}

void ClearTwinFolders()
{
    for (const Twin& t : kTwins)
        RemoveTree(t.folder);
}

class TwoInstallers : public testing::Test {
protected:
    void SetUp() override { ClearTwinFolders(); }
    void TearDown() override { ClearTwinFolders(); }
};

TEST_F(TwoInstallers, StartedTogetherBothInstallThePayload)
{
    ASSERT_FALSE(inputs.bigInstaller.empty()) << "needs --big-installer";
    ASSERT_EQ(InstallerTemporaryFiles(), std::vector<std::string>{}) << "left over before the test";
    for (int round = 1; round <= kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ClearTwinFolders();
        Scenario runs[2];
        for (int i = 0; i < 2; ++i) {
            RunOptions options;
            options.exeName = kTwins[i].exeName;
            options.bigPackage = true;
            std::string error;
            ASSERT_TRUE(runs[i].Launch(options, &error)) << error;
            ASSERT_NO_FATAL_FAILURE(PrepareOptions(runs[i], kTwins[i].folder));
        }

        // Install on both at the same moment, then watch both until each shows
        // the Finish page or a box.
        Click(runs[0].wizard, IDOK);
        Click(runs[1].wizard, IDOK);
        DWORD firstBoth = 0, lastBoth = 0;
        MessageBoxSeen boxes[2];
        bool settled = WaitUntil([&] {
            int pages[2] = {ShownPage(runs[0].wizard), ShownPage(runs[1].wizard)};
            if (pages[0] == kProgress && pages[1] == kProgress) {
                lastBoth = GetTickCount();
                if (!firstBoth)
                    firstBoth = lastBoth;
            }
            bool done = true;
            for (int i = 0; i < 2; ++i)
                if (pages[i] != kFinish && !WaitMessageBox(runs[i].process.id, 0, &boxes[i]))
                    done = false;
            return done;
        }, 180000);
        ASSERT_TRUE(settled) << "pages " << ShownPage(runs[0].wizard) << " and " << ShownPage(runs[1].wizard);
        printf("round %d: both extracting for %lu ms\n", round,
               static_cast<unsigned long>(firstBoth ? lastBoth - firstBoth : 0));
        EXPECT_NE(firstBoth, 0u) << "the two extractions never ran at the same time";

        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(kTwins[i].folder);
            EXPECT_EQ(boxes[i].caption, "") << boxes[i].text;
            if (boxes[i].window) {
                Answer(boxes[i], IDOK);
                continue;
            }
            EXPECT_EQ(ShownPage(runs[i].wizard), kFinish);
            EXPECT_EQ(CompareWithPayload(kTwins[i].folder, inputs.bigPayload), "") << "at the Finish page";
        }
        for (int i = 0; i < 2; ++i) {
            if (ShownPage(runs[i].wizard) == kFinish)
                Click(runs[i].wizard, IDCANCEL);  // "&Finish"
            EXPECT_EQ(runs[i].WaitExit(), 0) << kTwins[i].folder;
        }
        EXPECT_EQ(InstallerTemporaryFiles(), std::vector<std::string>{}) << "each run deletes its own";
        if (HasFailure())
            break;  // one spoilt round says all there is to say
    }
}

}  // namespace
}  // namespace vorn::e2e
