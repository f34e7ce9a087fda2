// The wizard from the keyboard alone, with real key events typed on the
// test's display (run under tests/e2e/with-real-keys.sh): Enter presses the
// focused button on every page (the page's own button when a box has the
// focus), the mnemonics work, and Escape leaves.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/real_keys.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"

namespace vorn::e2e {
namespace {

// What a step's keys must lead to, besides the pages.
constexpr int kAbortQuestion = 10;  // the abort question is open
constexpr int kEnded = 11;          // the installer has exited

struct Step {
    const char* keys;  // in xdotool's names
    int expect;        // a page, kAbortQuestion or kEnded
    int box = 0;       // a check box whose state the keys set (0: none)
    bool checked = false;
};

struct Walk {
    const char* name;
    bool bigPackage;  // a Progress page that lasts long enough to press a key on it
    std::vector<Step> steps;
    bool installed;  // the files are in place at the end, else nothing was written
};

const Walk kWalks[] = {
    {"install from the keyboard",
     false,
     {{"Return", kLicense},
      {"alt+y", kOptions},
      {"alt+m", kOptions, 156, false},
      {"alt+k", kOptions, 157, false},
      {"alt+c", kOptions, 158, false},
      {"alt+i", kFinish},
      {"Return", kEnded}},
     true},
    {"Enter on Finish after ticking a box from the keyboard",
     false,
     {{"Return", kLicense},
      {"alt+y", kOptions},
      {"alt+c", kOptions, 158, false},
      {"alt+i", kFinish},
      {"alt+r", kFinish, 183, true},
      {"Return", kEnded}},
     true},
    {"Escape on Welcome", false, {{"Escape", kEnded}}, false},
    {"Alt+N on License", false, {{"Return", kLicense}, {"alt+n", kEnded}}, false},
    {"Enter on Progress asks before aborting",
     true,
     {{"Return", kLicense},
      {"alt+y", kOptions},
      {"alt+i", kProgress},
      {"Return", kAbortQuestion},
      {"y", kOptions},
      {"Escape", kEnded}},
     false},
};

// gtest names the failing walk by this, not by its bytes.
void PrintTo(const Walk& walk, std::ostream* out)
{
    *out << walk.name;
}

const char* PageName(int page)
{
    static const char* const names[] = {"Welcome", "License", "Options", "Progress", "Finish"};
    if (page >= kWelcome && page <= kFinish)
        return names[page];
    return page == kAbortQuestion ? "the abort question" : "the end of the installer";
}

class Keyboard : public testing::TestWithParam<Walk> {
protected:
    void SetUp() override { ClearInstallation(); }
    void TearDown() override { ClearInstallation(); }

    // Waits for what the step's keys lead to; empty when it came.
    std::string Reached(const Step& step)
    {
        HWND w = run.wizard;
        if (step.expect == kEnded) {
            long code = run.WaitExit();
            return code == 0 ? "" : "the installer did not end with 0 (" + std::to_string(code) + ")";
        }
        if (step.expect == kAbortQuestion) {
            MessageBoxSeen box;
            if (!WaitMessageBox(run.process.id, kSettleMs, &box))
                return "no box";
            return box.caption == "Vorn Installation Warning" ? "" : "the box \"" + box.caption + "\"";
        }
        if (!run.WaitPage(step.expect, step.expect == kFinish ? kExtractMs : kSettleMs))
            return std::string("page ") + (ShownPage(w) == kNoPage ? "none" : PageName(ShownPage(w)));
        if (step.box && !WaitUntil([&] { return ItemChecked(w, step.box) == step.checked; }))
            return "check box " + std::to_string(step.box) + " not " + (step.checked ? "checked" : "cleared");
        return "";
    }

    Scenario run;
};

TEST_P(Keyboard, WalkThroughTheWizard)
{
    const Walk& walk = GetParam();
    // On the new shell only the Finish button's way out writes the uninstall
    // entry: it tells that way from every other end of the wizard.
    RunOptions options;
    options.exeName = "vornsetup95.exe";
    options.newShell = true;
    options.bigPackage = walk.bigPackage;
    std::string error;
    ASSERT_TRUE(run.Launch(options, &error)) << error;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    int page = kWelcome;
    for (const Step& step : walk.steps) {
        ASSERT_TRUE(TypeKeys(run.wizard, step.keys, &error)) << error;
        const std::string missed = Reached(step);
        ASSERT_EQ(missed, "") << step.keys << " on " << PageName(page) << " should lead to "
                              << PageName(step.expect);
        page = step.expect;
    }

    if (walk.installed) {
        EXPECT_EQ(CompareWithPayload("C:\\Vorn", inputs.payload, true), "");
        EXPECT_TRUE(UninstallKeyExists()) << "the wizard did not end through its Finish button";
        EXPECT_FALSE(IsFolder(GroupFolder())) << "Alt+C cleared the icons box, yet a group was made";
    } else {
        EXPECT_EQ(FolderEntries("C:\\Vorn").size(), 0u) << "files left in C:\\Vorn";
        EXPECT_FALSE(UninstallKeyExists());
        EXPECT_FALSE(IsFolder(GroupFolder())) << "a group was made";
        EXPECT_FALSE(Exists("C:\\vorn.ini")) << "a settings file was made at the drive root";
    }
    EXPECT_FALSE(Exists(kRecordFile)) << "the client was started, though nobody asked";
}

INSTANTIATE_TEST_SUITE_P(Walks, Keyboard, testing::ValuesIn(kWalks),
                         [](const testing::TestParamInfo<Walk>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

}  // namespace
}  // namespace vorn::e2e
