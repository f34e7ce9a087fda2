// Files, registry values and group items an installation left behind.
#include "tests/e2e/driver/outcome.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vorn::e2e {

const char* const kInstalledFiles[10] = {
    "vorn32.exe", "vorn.hlp", "ircintro.hlp", "readme.txt", "versions.txt",
    "vorn.ini",   "aliases.ini", "popups.ini", "servers.ini", "urls.ini",
};

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFile(const std::string& path, std::string* bytes)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->append(buffer, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveTree(const std::string& folder)
{
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (FolderExists(path))
            RemoveTree(path);
        else
            DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string CompareWithPayload(const std::string& folder, const std::string& payloadDir, bool settingsAmended)
{
    std::string faults;
    for (const char* name : kInstalledFiles) {
        std::string expected, actual;
        if (!ReadFile(payloadDir + "\\" + name, &expected)) {
            faults += std::string("payload file ") + name + " unreadable\n";
            continue;
        }
        if (!ReadFile(folder + "\\" + name, &actual)) {
            faults += std::string(name) + " missing\n";
            continue;
        }
        if (settingsAmended && strcmp(name, "vorn.ini") == 0 && actual.size() > expected.size())
            actual.resize(expected.size());
        if (actual != expected) {
            size_t at = 0;
            while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
                ++at;
            faults += std::string(name) + " differs: " + std::to_string(actual.size()) + " bytes against " +
                      std::to_string(expected.size()) + ", first difference at " + std::to_string(at) + "\n";
        }
    }
    return faults;
}

std::vector<std::string> InstallerTemporaryFiles()
{
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH)
        return {};
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(temp) + "vorn*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadUninstallValue(const char* name, std::string* data, unsigned long* storedBytes)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[2048] = "";
    DWORD type = 0, size = sizeof buffer;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return false;
    *data = buffer;
    *storedBytes = size;
    return true;
}

bool UninstallKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteUninstallKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

std::string GroupFolder()
{
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Vorn";
}

bool ReadGroupItem(const std::string& itemName, GroupItem* item)
{
    std::string path = GroupFolder() + "\\" + itemName + ".lnk";
    if (!FileExists(path))
        return false;
    CoInitialize(nullptr);
    bool ok = false;
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
                item->target = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, MAX_PATH);
                item->workDir = text;
                text[0] = 0;
                int index = 0;
                link->GetIconLocation(text, MAX_PATH, &index);
                item->iconPath = text;
                ok = true;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return ok;
}

namespace {

bool IsGroupWindow(HWND window)
{
    char caption[256] = "", className[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, className, sizeof className);
    return strcmp(caption, "Vorn") == 0 && strcmp(className, "ExplorerWClass") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK CollectGroupWindow(HWND window, LPARAM param)
{
    if (IsGroupWindow(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> GroupWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectGroupWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

// Wine's shell opens the group in an explorer process of its own; asked to
// close, it may linger, so it is ended (never the desktop's process).
void CloseGroupWindows(int waitMs)
{
    std::vector<HWND> windows = GroupWindows();
    for (int waited = 0; windows.empty() && waited < waitMs; waited += 50) {
        Sleep(50);
        windows = GroupWindows();
    }
    if (windows.empty())
        return;
    for (HWND w : windows)
        PostMessageA(w, WM_CLOSE, 0, 0);
    for (int i = 0; i < 20 && !GroupWindows().empty(); ++i)
        Sleep(50);
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    for (HWND w : GroupWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (!pid || pid == desktopProcess || pid == GetCurrentProcessId())
            continue;
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (h) {
            TerminateProcess(h, 0);
            WaitForSingleObject(h, 3000);
            CloseHandle(h);
        }
    }
}

}  // namespace vorn::e2e
