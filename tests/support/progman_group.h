// The Program Manager group "Vorn": what the installer must send for it (the
// tests' own table, written apart from the installer's so that a comparison
// can fail), and what a shell made of it (the group folder, its .lnk files,
// the explorer window Wine's shell opens on it).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vorn::test {

// The five items in the order the commands add them.
struct GroupItem {
    const char* name;  // the item's title, and its link's name without ".lnk"
    const char* file;  // the installed file it opens
    bool textFile;     // opened with "write.exe" on the old shell
};
constexpr GroupItem kGroupItems[] = {
    {"Vorn32", "vorn32.exe", false},      {"Vorn Help", "vorn.hlp", false},
    {"IRC Intro", "ircintro.hlp", false}, {"Readme.txt", "readme.txt", true},
    {"Versions.txt", "versions.txt", true},
};

// The twelve execute commands, in their order, for the folder and shell.
std::vector<std::string> ExpectedGroupCommands(const std::string& folder, bool newShell);

// Start Menu\Programs\Vorn of the user.
std::string GroupFolder();

struct ShellLink {
    bool loaded = false;
    std::string target;   // the path it opens
    std::string workDir;  // its working folder
    std::string iconPath;  // its icon location ("" when none)
    int iconIndex = -1;
};

// Reads a .lnk file through the shell's own link object.
ShellLink ReadShellLink(const std::string& path);

// Wine's shell opens the group in an explorer window (class ExplorerWClass,
// caption "Vorn") in a process of its own. Waits up to appearMs for one to
// appear, asks every one to close and ends the processes of those that stay
// (never this process's); returns how many there were.
int CloseGroupWindows(DWORD appearMs = 0);

}  // namespace vorn::test
