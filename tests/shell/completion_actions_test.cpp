// The completion actions under Wine: the uninstall values in the registry,
// the ignore list in "vorn.ini", the launch of the demo client and the help
// request, over a table of the flags that govern them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/install_state.h"
#include "shell/completion_actions.h"
#include "tests/shell/test_folders.h"
#include "tests/support/help_window.h"
#include "tests/support/registry.h"
#include "tests/support/wait.h"

namespace vorn::test {
namespace {

constexpr const char* kIgnoreLine =
    "ignore=*.exe,*.com,*.bat,*.dll,*.ini,*.mrc,*.vbs,*.js,*.pif,*.scr,*.lnk,*.pl,*.shs\r\n";

// --- The help engine stand-in ----------------------------------------------
// The request reaches the stand-in help window on the test's thread while
// the installer waits inside WinHelpA; the hook looks there whether the
// launched client has already recorded its start.

std::string recordPath;                 // the demo client's start record
bool waitForClientAtHelp = false;       // the case expects a launch before the help
std::vector<bool> clientStartedAtHelp;  // one entry for each help request

bool WaitForFile(const std::string& path, DWORD milliseconds)
{
    return WaitUntil([&] { return Exists(path); }, milliseconds);
}

void CheckClientAtHelp(const HelpRequest&)
{
    // A launch made after the help request could not have happened yet.
    clientStartedAtHelp.push_back(WaitForFile(recordPath, waitForClientAtHelp ? kSettleMs : 0));
}

// --- Fixture ----------------------------------------------------------------

class CompletionActionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        helpWindowOpen_ = OpenHelpWindow();
        OnHelpRequest(CheckClientAtHelp);
        recordPath = std::string(kTestRoot) + "\\client-started.txt";
        SetEnvironmentVariableA("VORN_DEMO_RECORD", recordPath.c_str());
        SetEnvironmentVariableA("VORN_DEMO_EXIT", "1");
    }
    static void TearDownTestSuite()
    {
        OnHelpRequest(nullptr);
        CloseHelpWindow();
        RemoveTree(kTestRoot);
    }
    void SetUp() override
    {
        ASSERT_TRUE(helpWindowOpen_);
        ResetCase();
    }
    void TearDown() override { DeleteUninstallKey(); }

    // No uninstall key, an empty folder, no client record, no help request.
    void ResetCase()
    {
        DeleteUninstallKey();
        ASSERT_FALSE(UninstallKeyExists());
        folder_ = ShellTestFolder("Completion Folder");  // a space, as in a chosen folder
        DeleteFileA(recordPath.c_str());
        OpenHelpWindow();  // forgets earlier requests
        clientStartedAtHelp.clear();
        waitForClientAtHelp = false;
        installSettings = {};
        lstrcpyA(installSettings.folder, folder_.c_str());
    }

    std::string Ini() const { return folder_ + "\\vorn.ini"; }

    static bool helpWindowOpen_;
    std::string folder_;
};

bool CompletionActionsTest::helpWindowOpen_ = false;

// Text of a settings file with the ignore line taken out again, to compare
// with the file as it was.
std::string WithoutIgnoreLine(std::string text)
{
    const size_t at = text.find(kIgnoreLine);
    if (at != std::string::npos)
        text.erase(at, lstrlenA(kIgnoreLine));
    return text;
}

struct CompletionCase {
    const char* name;
    int wizardFinished, newShell, launchClient, readHelp;
    bool settingsFile;
    bool uninstallEntry, launched, helpOpened;  // expected
};

constexpr CompletionCase kCases[] = {
    {"finished on a new shell, nothing ticked", 1, 1, 0, 0, true, true, false, false},
    {"finished on an old shell", 1, 0, 0, 0, true, false, false, false},
    {"cancelled on a new shell", 0, 1, 0, 0, true, false, false, false},
    {"cancelled on an old shell, no settings file", 0, 0, 0, 0, false, false, false, false},
    {"finished on a new shell, launch and help ticked", 1, 1, 1, 1, true, true, true, true},
    {"finished on a new shell, launch only, no settings file", 1, 1, 1, 0, false, true, true, false},
    {"finished on a new shell, help only", 1, 1, 0, 1, true, true, false, true},
    {"finished on an old shell, launch and help ticked", 1, 0, 1, 1, false, false, true, true},
};

TEST_F(CompletionActionsTest, EachActionRunsUnderItsOwnCondition)
{
    for (const CompletionCase& c : kCases) {
        SCOPED_TRACE(c.name);
        ResetCase();
        ASSERT_TRUE(CopyPayload(folder_, "vorn32.exe"));
        std::string settings;
        if (c.settingsFile) {
            ASSERT_TRUE(CopyPayload(folder_, "vorn.ini"));
            settings = ReadFileText(Ini());
        }
        installSettings.wizardFinished = c.wizardFinished;
        installSettings.newShell = c.newShell;
        installSettings.launchClient = c.launchClient;
        installSettings.readHelp = c.readHelp;
        waitForClientAtHelp = c.launched;

        RunCompletionActions();

        // Uninstall entry: both values with their exact bytes, or no key at all.
        if (c.uninstallEntry) {
            const RegistryValue name = ReadUninstallValue("DisplayName");
            const RegistryValue command = ReadUninstallValue("UninstallString");
            EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(name.data, StoredText("Vorn"));
            EXPECT_EQ(name.bytes, 5u);
            const std::string expected = "\"" + folder_ + "\\vorn32.exe\" -uninstall";
            EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(command.data, StoredText(expected));
            EXPECT_EQ(command.bytes, expected.size() + 1);
        } else {
            EXPECT_FALSE(UninstallKeyExists());
        }

        // Settings default: added to an existing file only, the rest unchanged.
        if (c.settingsFile) {
            const std::string after = ReadFileText(Ini());
            const size_t section = after.find("[text]");
            const size_t ignore = after.find(kIgnoreLine);
            EXPECT_NE(section, std::string::npos);
            EXPECT_NE(ignore, std::string::npos) << "the ignore list was not written";
            EXPECT_GT(ignore, section);
            EXPECT_EQ(WithoutIgnoreLine(after), settings);
        } else {
            EXPECT_FALSE(Exists(Ini())) << "no settings file is created";
        }

        // Launch: the client starts in the folder; the help comes after it.
        if (c.launched) {
            ASSERT_TRUE(WaitForFile(recordPath, kSettleMs)) << "the client did not start";
            EXPECT_EQ(ReadFileText(recordPath), "started in " + folder_ + "\r\n");
        } else {
            EXPECT_FALSE(Exists(recordPath)) << "the client was started";
        }
        if (c.helpOpened) {
            ASSERT_EQ(HelpRequests().size(), 1u);
            EXPECT_EQ(HelpRequests()[0].command, static_cast<unsigned>(HELP_CONTEXT));
            EXPECT_EQ(HelpRequests()[0].data, 10);
            EXPECT_EQ(HelpRequests()[0].file, folder_ + "\\vorn.hlp");
            ASSERT_EQ(clientStartedAtHelp.size(), 1u);
            EXPECT_EQ(clientStartedAtHelp[0], c.launched) << "launch before help";
        } else {
            EXPECT_TRUE(HelpRequests().empty()) << "help was requested";
        }
    }
}

TEST_F(CompletionActionsTest, UninstallStringQuotesTheClientPath)
{
    lstrcpyA(installSettings.folder, "C:\\VORN");
    installSettings.wizardFinished = 1;
    installSettings.newShell = 1;
    RunCompletionActions();
    const RegistryValue command = ReadUninstallValue("UninstallString");
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.data, StoredText(R"("C:\VORN\vorn32.exe" -uninstall)"));
    EXPECT_EQ(command.bytes, 32u);
}

TEST_F(CompletionActionsTest, WriteUninstallValueStoresTheTextWithItsNul)
{
    const char* const texts[] = {"", "Vorn", "a value with spaces and \"quotes\""};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WriteUninstallValue("Probe", text), 1);
        const RegistryValue value = ReadUninstallValue("Probe");
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value.data, StoredText(text));
        EXPECT_EQ(value.bytes, static_cast<DWORD>(lstrlenA(text)) + 1);
    }
}

struct SettingsCase {
    const char* name;
    const char* before;
    const char* after;
};

const SettingsCase kSettingsCases[] = {
    {"an existing ignore key is replaced, the rest kept",
     "[vorn]\r\nnick=somebody\r\n[text]\r\nfont=Fixedsys,9\r\nignore=*.txt\r\nlines=200\r\n[dde]\r\nserver=vorn\r\n",
     "[vorn]\r\nnick=somebody\r\n[text]\r\nfont=Fixedsys,9\r\n{IGNORE}lines=200\r\n[dde]\r\nserver=vorn\r\n"},
    {"a file without a text section gains it",
     "[vorn]\r\nnick=somebody\r\n",
     "[vorn]\r\nnick=somebody\r\n[text]\r\n{IGNORE}"},
    {"an empty file gains the section", "", "[text]\r\n{IGNORE}"},
};

std::string WithIgnoreLine(std::string text)
{
    const size_t at = text.find("{IGNORE}");
    if (at != std::string::npos)
        text.replace(at, 8, kIgnoreLine);
    return text;
}

TEST_F(CompletionActionsTest, SettingsFileGainsOrReplacesTheIgnoreList)
{
    for (const SettingsCase& c : kSettingsCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileText(Ini(), c.before));
        RunCompletionActions();
        EXPECT_EQ(ReadFileText(Ini()), WithIgnoreLine(c.after));
    }
}

// With no folder yet, the settings path is "\vorn.ini": the root of the
// current drive.
TEST_F(CompletionActionsTest, EmptyFolderLooksAtTheDriveRoot)
{
    const std::string root = "C:\\vorn.ini";
    // However the test ends, the current folder is put back and the root's file removed.
    struct Restore {
        char folder[MAX_PATH] = "";
        ~Restore()
        {
            DeleteFileA("C:\\vorn.ini");
            SetCurrentDirectoryA(folder);
        }
    } restore;
    GetCurrentDirectoryA(MAX_PATH, restore.folder);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    installSettings.folder[0] = 0;
    DeleteFileA(root.c_str());

    RunCompletionActions();
    EXPECT_FALSE(Exists(root)) << "no settings file is created at the root";

    ASSERT_TRUE(WriteFileText(root, "[vorn]\r\nnick=somebody\r\n"));
    RunCompletionActions();
    EXPECT_EQ(ReadFileText(root), WithIgnoreLine("[vorn]\r\nnick=somebody\r\n[text]\r\n{IGNORE}"));
    EXPECT_FALSE(Exists(folder_ + "\\vorn.ini"));
}

}  // namespace
}  // namespace vorn::test
