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

namespace vorn::test {
namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorn";
constexpr const char* kIgnoreLine =
    "ignore=*.exe,*.com,*.bat,*.dll,*.ini,*.mrc,*.vbs,*.js,*.pif,*.scr,*.lnk,*.pl,*.shs\r\n";

// --- Registry --------------------------------------------------------------

struct RegistryText {
    bool found = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::string data;
};

bool UninstallKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

RegistryText ReadUninstallValue(const char* name)
{
    RegistryText value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    char data[1024] = {};
    value.bytes = sizeof data;
    value.found = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &value.bytes) ==
                  ERROR_SUCCESS;
    value.data.assign(data, value.found ? value.bytes : 0);
    RegCloseKey(key);
    return value;
}

// The stored text with its terminating NUL, as the registry holds it.
std::string Stored(const std::string& text) { return text + '\0'; }

// --- The help engine stand-in ----------------------------------------------
// WinHelpA hands its request to the top-level window of class "MS_WINHELP"
// (it starts the help engine only when there is none) by WM_COPYDATA. A
// window of that class on the test's thread receives the request, and looks
// whether the launched client has already recorded its start.

constexpr ULONG_PTR kWinHelpSignature = 0xA1DE505;

struct HelpRequest {
    UINT command;
    LONG data;
    std::string file;
    bool clientHadStarted;
};

std::vector<HelpRequest> helpRequests;
std::string recordPath;          // the demo client's start record
bool waitForClientAtHelp = false;  // the case expects a launch before the help

#pragma pack(push, 1)
struct WinHelpData {  // the help request as WinHelpA sends it
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD ofsFilename;
    WORD ofsData;
};
#pragma pack(pop)

bool WaitForFile(const std::string& path, int milliseconds)
{
    for (int waited = 0; !Exists(path); waited += 20) {
        if (waited >= milliseconds)
            return false;
        Sleep(20);
    }
    return true;
}

LRESULT CALLBACK HelpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wParam, lParam);
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy->dwData != kWinHelpSignature || copy->cbData < sizeof(WinHelpData))
        return FALSE;
    const auto* request = static_cast<const WinHelpData*>(copy->lpData);
    HelpRequest seen{request->command, request->data, {}, false};
    if (request->ofsFilename && request->ofsFilename < copy->cbData)
        seen.file = reinterpret_cast<const char*>(request) + request->ofsFilename;
    // While this runs, the installer is inside WinHelpA: a launch made after
    // the help request could not have happened yet.
    seen.clientHadStarted = WaitForFile(recordPath, waitForClientAtHelp ? 10000 : 0);
    helpRequests.push_back(seen);
    return TRUE;
}

HWND CreateHelpWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HelpWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MS_WINHELP";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "MS_WINHELP", "help stand-in", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// --- Fixture ----------------------------------------------------------------

class CompletionActionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        helpWindow_ = CreateHelpWindow();
        recordPath = std::string(kTestRoot) + "\\client-started.txt";
        SetEnvironmentVariableA("VORN_DEMO_RECORD", recordPath.c_str());
        SetEnvironmentVariableA("VORN_DEMO_EXIT", "1");
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(helpWindow_);
        RemoveTree(kTestRoot);
    }
    void SetUp() override
    {
        ASSERT_NE(helpWindow_, nullptr);
        ResetCase();
    }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey); }

    // No uninstall key, an empty folder, no client record, no help request.
    void ResetCase()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        ASSERT_FALSE(UninstallKeyExists());
        folder_ = FreshFolder("Completion Folder");  // a space, as in a chosen folder
        DeleteFileA(recordPath.c_str());
        helpRequests.clear();
        waitForClientAtHelp = false;
        installSettings = {};
        lstrcpyA(installSettings.folder, folder_.c_str());
    }

    std::string Ini() const { return folder_ + "\\vorn.ini"; }

    static HWND helpWindow_;
    std::string folder_;
};

HWND CompletionActionsTest::helpWindow_ = nullptr;

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
            settings = ReadWhole(Ini());
        }
        installSettings.wizardFinished = c.wizardFinished;
        installSettings.newShell = c.newShell;
        installSettings.launchClient = c.launchClient;
        installSettings.readHelp = c.readHelp;
        waitForClientAtHelp = c.launched;

        RunCompletionActions();

        // Uninstall entry: both values with their exact bytes, or no key at all.
        if (c.uninstallEntry) {
            const RegistryText name = ReadUninstallValue("DisplayName");
            const RegistryText command = ReadUninstallValue("UninstallString");
            EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(name.data, Stored("Vorn"));
            EXPECT_EQ(name.bytes, 5u);
            const std::string expected = "\"" + folder_ + "\\vorn32.exe\" -uninstall";
            EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(command.data, Stored(expected));
            EXPECT_EQ(command.bytes, expected.size() + 1);
        } else {
            EXPECT_FALSE(UninstallKeyExists());
        }

        // Settings default: added to an existing file only, the rest unchanged.
        if (c.settingsFile) {
            const std::string after = ReadWhole(Ini());
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
            ASSERT_TRUE(WaitForFile(recordPath, 10000)) << "the client did not start";
            EXPECT_EQ(ReadWhole(recordPath), "started in " + folder_ + "\r\n");
        } else {
            EXPECT_FALSE(Exists(recordPath)) << "the client was started";
        }
        if (c.helpOpened) {
            ASSERT_EQ(helpRequests.size(), 1u);
            EXPECT_EQ(helpRequests[0].command, static_cast<UINT>(HELP_CONTEXT));
            EXPECT_EQ(helpRequests[0].data, 10);
            EXPECT_EQ(helpRequests[0].file, folder_ + "\\vorn.hlp");
            EXPECT_EQ(helpRequests[0].clientHadStarted, c.launched) << "launch before help";
        } else {
            EXPECT_TRUE(helpRequests.empty()) << "help was requested";
        }
    }
}

TEST_F(CompletionActionsTest, UninstallStringQuotesTheClientPath)
{
    lstrcpyA(installSettings.folder, "C:\\VORN");
    installSettings.wizardFinished = 1;
    installSettings.newShell = 1;
    RunCompletionActions();
    const RegistryText command = ReadUninstallValue("UninstallString");
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.data, Stored(R"("C:\VORN\vorn32.exe" -uninstall)"));
    EXPECT_EQ(command.bytes, 32u);
}

TEST_F(CompletionActionsTest, WriteUninstallValueStoresTheTextWithItsNul)
{
    const char* const texts[] = {"", "Vorn", "a value with spaces and \"quotes\""};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WriteUninstallValue("Probe", text), 1);
        const RegistryText value = ReadUninstallValue("Probe");
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value.data, Stored(text));
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
        ASSERT_TRUE(WriteWhole(Ini(), c.before));
        RunCompletionActions();
        EXPECT_EQ(ReadWhole(Ini()), WithIgnoreLine(c.after));
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

    ASSERT_TRUE(WriteWhole(root, "[vorn]\r\nnick=somebody\r\n"));
    RunCompletionActions();
    EXPECT_EQ(ReadWhole(root), WithIgnoreLine("[vorn]\r\nnick=somebody\r\n[text]\r\n{IGNORE}"));
    EXPECT_FALSE(Exists(folder_ + "\\vorn.ini"));
}

}  // namespace
}  // namespace vorn::test
