// Completion actions, in their fixed order: uninstall entry, ignore-list
// default, client launch, help file.
#include "shell/completion_actions.h"

#include <windows.h>
#include <shellapi.h>

#include "common/install_state.h"
#include "common/system_library.h"

namespace vorn {
namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorn";
constexpr const char* kIgnorePatterns =
    "*.exe,*.com,*.bat,*.dll,*.ini,*.mrc,*.vbs,*.js,*.pif,*.scr,*.lnk,*.pl,*.shs";
constexpr DWORD kHelpContext = 10;

void RegisterUninstallEntry(const char* folder)
{
    char path[kPathSize];
    WriteUninstallValue("DisplayName", "Vorn");
    wsprintfA(path, "\"%s\\vorn32.exe\" -uninstall", folder);
    WriteUninstallValue("UninstallString", path);
}

// Only an existing settings file gets the default; none is ever created.
void SeedIgnoreList(const char* folder)
{
    char path[kPathSize];
    wsprintfA(path, "%s\\vorn.ini", folder);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        WritePrivateProfileStringA("text", "ignore", kIgnorePatterns, path);
}

// The shell library is loaded only for the launch, from the system folder,
// so that neither it nor what it imports is taken from the installer's
// folder at start-up. Without it the launch does nothing, as a failed
// ShellExecuteA would.
void LaunchClient(const char* folder)
{
    char path[kPathSize];
    wsprintfA(path, "%s\\vorn32.exe", folder);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    using ShellExecuteCall = decltype(&ShellExecuteA);
    if (auto shellExecute = EntryPoint<ShellExecuteCall>(LoadSystemLibrary("shell32.dll"), "ShellExecuteA"))
        shellExecute(nullptr, "open", path, "", folder, SW_SHOW);
    SetErrorMode(0);
}

void OpenHelp(const char* folder)
{
    char path[kPathSize];
    wsprintfA(path, "%s\\vorn.hlp", folder);
    WinHelpA(nullptr, path, HELP_CONTEXT, kHelpContext);
}

}  // namespace

int WriteUninstallValue(const char* name, const char* text)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return 0;
    // The stored byte count includes the terminating NUL.
    const LONG stored = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                       static_cast<DWORD>(lstrlenA(text)) + 1);
    RegCloseKey(key);
    return stored == ERROR_SUCCESS ? 1 : 0;
}

void RunCompletionActions()
{
    // A bounded copy: at most 299 characters, terminated even if the record
    // lost its terminator, so that no path below outgrows its buffer.
    char folder[kFolderSize];
    lstrcpynA(folder, installSettings.folder, kFolderSize);
    if (installSettings.wizardFinished == 1 && installSettings.newShell == 1)
        RegisterUninstallEntry(folder);
    SeedIgnoreList(folder);
    if (installSettings.launchClient == 1)
        LaunchClient(folder);
    if (installSettings.readHelp == 1)
        OpenHelp(folder);
}

}  // namespace vorn
