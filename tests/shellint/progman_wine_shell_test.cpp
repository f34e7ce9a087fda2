// The Program Manager group against Wine's own Program Manager DDE service:
// the group folder and its five links, what a second run does, and what Wine
// does with ReplaceItem. The explorer windows that Wine opens for the group
// are closed after every test.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/process_handles.h"
#include "shellint/program_group.h"
#include "tests/shell/test_folders.h"

namespace vorn::test {
namespace {

struct LinkInfo {
    bool loaded = false;
    std::string path;
    std::string workingFolder;
    std::string iconPath;
    int iconIndex = -1;
};

LinkInfo ReadLink(const std::string& file)
{
    LinkInfo info;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            info.loaded = true;
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            info.path = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, MAX_PATH);
            info.workingFolder = text;
            text[0] = 0;
            link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
            info.iconPath = text;
        }
        persist->Release();
    }
    link->Release();
    return info;
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Wine's shell opens an explorer window on the group (class ExplorerWClass,
// title "Vorn") in a process of its own. Waits for at least one to appear,
// closes them all and waits for their processes to end.
struct GroupWindows {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectGroupWindow(HWND window, LPARAM found)
{
    char className[64] = "";
    char title[64] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId() && lstrcmpA(className, "ExplorerWClass") == 0 &&
        lstrcmpA(title, "Vorn") == 0)
        reinterpret_cast<GroupWindows*>(found)->windows.push_back(window);
    return TRUE;
}

int CloseGroupWindows(bool waitForOne)
{
    GroupWindows found;
    for (int wait = 0; wait < (waitForOne ? 200 : 1); ++wait) {
        found.windows.clear();
        EnumWindows(CollectGroupWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.windows.empty())
            break;
        Sleep(50);
    }
    for (HWND window : found.windows) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0)
                TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    return static_cast<int>(found.windows.size());
}

std::string GroupFolder()
{
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::string(programs) + "\\Vorn";
}

struct ExpectedItem {
    const char* link;
    const char* file;
    bool textFile;
};

constexpr ExpectedItem kItems[] = {
    {"IRC Intro.lnk", "ircintro.hlp", false}, {"Readme.txt.lnk", "readme.txt", true},
    {"Versions.txt.lnk", "versions.txt", true}, {"Vorn Help.lnk", "vorn.hlp", false},
    {"Vorn32.lnk", "vorn32.exe", false},
};

std::vector<std::string> SortedLinks()
{
    auto names = FileNames(GroupFolder(), "*.lnk");
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ExpectedLinks()
{
    std::vector<std::string> names;
    for (const ExpectedItem& item : kItems)
        names.push_back(item.link);
    return names;
}

class WineProgramGroupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        folder_ = FreshFolder("Vorn Client");  // a space, as in a chosen folder
        payloadCopied_ = CopyPayload(folder_);
        RemoveTree(GroupFolder());
    }
    static void TearDownTestSuite()
    {
        RemoveTree(GroupFolder());
        RemoveTree(folder_);
        RemoveDirectoryA(kTestRoot);  // when nothing else is left in it
        CoUninitialize();
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
        CloseGroupWindows(false);
    }

    // The five links point at their files in the folder, with the folder as
    // working directory; the text files name "write.exe" as icon on an old shell.
    void ExpectItems(bool newShell)
    {
        for (const ExpectedItem& item : kItems) {
            SCOPED_TRACE(item.link);
            const LinkInfo link = ReadLink(GroupFolder() + "\\" + item.link);
            ASSERT_TRUE(link.loaded);
            EXPECT_TRUE(SameText(link.path, folder_ + "\\" + item.file)) << link.path;
            EXPECT_TRUE(SameText(link.workingFolder, folder_)) << link.workingFolder;
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
    EXPECT_GE(CloseGroupWindows(true), 1) << "Wine opens the group in an explorer window";
    EXPECT_EQ(SortedLinks(), ExpectedLinks());
    ExpectItems(true);
}

TEST_F(WineProgramGroupTest, SecondRunReplacesTheItemsInsteadOfDoublingThem)
{
    ASSERT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(true);
    installSettings.newShell = 0;  // the second run leaves the old-shell form to see
    EXPECT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(true);
    EXPECT_EQ(SortedLinks(), ExpectedLinks());
    ExpectItems(false);
}

// What Wine's shell does with ReplaceItem: it deletes an existing item's link
// and succeeds, and it fails for an item that is not there.
TEST_F(WineProgramGroupTest, ReplaceItemDeletesAnExistingItemAndFailsForAMissingOne)
{
    ASSERT_EQ(CreateProgramGroup(), 1);
    CloseGroupWindows(true);
    ASSERT_TRUE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    EXPECT_EQ(ProgmanExecute(R"([ReplaceItem("Vorn32")])"), 1);
    EXPECT_FALSE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    EXPECT_EQ(ProgmanExecute(R"([ReplaceItem("Vorn32")])"), 0);
    EXPECT_EQ(FileNames(GroupFolder(), "*.lnk").size(), 4u);
}

// Wine's shell refuses an item whose file does not exist, so the group needs
// the installed files.
TEST_F(WineProgramGroupTest, WineRefusesAnItemWhoseFileIsMissing)
{
    const std::string empty = FreshFolder("Empty");
    lstrcpyA(installSettings.folder, empty.c_str());
    EXPECT_EQ(CreateProgramGroup(), 0);
    CloseGroupWindows(true);
    EXPECT_FALSE(Exists(GroupFolder() + "\\Vorn32.lnk"));
    RemoveTree(empty);
}

}  // namespace
}  // namespace vorn::test
