// The Program Manager group as the tests expect it and as the shell wrote it.
#include "tests/support/progman_group.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <set>

#include "tests/support/wait.h"

namespace vorn::test {

std::vector<std::string> ExpectedGroupCommands(const std::string& folder, bool newShell)
{
    // {F} stands for the folder.
    std::vector<std::string> commands = {
        R"([CreateGroup("Vorn")])",
        R"([ShowGroup("Vorn",1)])",
        R"([ReplaceItem("Vorn32")])",
        R"([AddItem("{F}\Vorn32.exe","Vorn32",,0,,,"{F}")])",
        R"([ReplaceItem("Vorn Help")])",
        R"([AddItem("{F}\Vorn.hlp","Vorn Help",,0,,,"{F}")])",
        R"([ReplaceItem("IRC Intro")])",
        R"([AddItem("{F}\IRCintro.hlp","IRC Intro",,0,,,"{F}")])",
        R"([ReplaceItem("Readme.txt")])",
        newShell ? R"([AddItem("{F}\readme.txt","Readme.txt",,,,,"{F}")])"
                 : R"([AddItem("{F}\readme.txt","Readme.txt","write.exe",0,,,"{F}")])",
        R"([ReplaceItem("Versions.txt")])",
        newShell ? R"([AddItem("{F}\versions.txt","Versions.txt",,,,,"{F}")])"
                 : R"([AddItem("{F}\versions.txt","Versions.txt","write.exe",0,,,"{F}")])",
    };
    for (std::string& command : commands)
        for (size_t at = command.find("{F}"); at != std::string::npos; at = command.find("{F}", at + folder.size()))
            command.replace(at, 3, folder);
    return commands;
}

std::string GroupFolder()
{
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::string(programs) + "\\Vorn";
}

ShellLink ReadShellLink(const std::string& path)
{
    ShellLink info;
    const HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = "";
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                info.target = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, MAX_PATH);
                info.workDir = text;
                text[0] = 0;
                link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
                info.iconPath = text;
                info.loaded = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return info;
}

namespace {

BOOL CALLBACK CollectGroupWindow(HWND window, LPARAM found)
{
    char caption[64] = "", className[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, className, sizeof className);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId() && lstrcmpA(className, "ExplorerWClass") == 0 &&
        lstrcmpA(caption, "Vorn") == 0)
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> GroupWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectGroupWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

int CloseGroupWindows(DWORD appearMs)
{
    WaitUntil([] { return !GroupWindows().empty(); }, appearMs);
    // Every window is asked once to close, those that open meanwhile too (the
    // shell may open the group a second time while the first one closes).
    std::set<HWND> asked;
    const bool closed = WaitUntil([&] {
        const std::vector<HWND> open = GroupWindows();
        for (HWND w : open)
            if (asked.insert(w).second)
                PostMessageA(w, WM_CLOSE, 0, 0);
        return open.empty();
    });
    if (closed)
        return static_cast<int>(asked.size());
    // A window that stays is ended with its process, never the desktop's.
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    for (HWND w : GroupWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (!pid || pid == desktopProcess)
            continue;
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(h, 0);
            WaitForSingleObject(h, kSettleMs);
            CloseHandle(h);
        }
    }
    return static_cast<int>(asked.size());
}

}  // namespace vorn::test
