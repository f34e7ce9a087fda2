// What an installation left behind: files in a folder compared with the
// payload, the uninstall entry in the registry, and the items of the Program
// Manager group as the shell wrote them (.lnk files).
#pragma once
#include <string>
#include <vector>

namespace vorn::e2e {

// The ten installed file names, in package order.
extern const char* const kInstalledFiles[10];

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool ReadFile(const std::string& path, std::string* bytes);
bool WriteFile(const std::string& path, const std::string& bytes);

// Names of the entries of a folder ("." and ".." left out), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Deletes a folder and everything in it; true when it is gone afterwards.
bool RemoveTree(const std::string& folder);

// One line per installed file that differs from the payload or is missing;
// empty when all ten are byte-identical. After the completion actions
// "vorn.ini" holds the payload's bytes followed by the ignore list, which the
// caller checks: pass settingsAmended to compare only its beginning.
std::string CompareWithPayload(const std::string& folder, const std::string& payloadDir,
                               bool settingsAmended = false);

// The installer's temporary files ("vorn*.tmp") in the Windows temporary
// folder, sorted: a run deletes its own after each member and at its end.
std::vector<std::string> InstallerTemporaryFiles();

// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorn.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorn";
bool ReadUninstallValue(const char* name, std::string* data, unsigned long* storedBytes);
bool UninstallKeyExists();
void DeleteUninstallKey();

// The Program Manager group folder, Start Menu\Programs\Vorn of the user.
std::string GroupFolder();

struct GroupItem {
    std::string target;    // the link's target path
    std::string workDir;   // its working folder
    std::string iconPath;  // its icon location ("" when none)
};

// Reads "<item>.lnk" of the group; false when it is missing or unreadable.
bool ReadGroupItem(const std::string& itemName, GroupItem* item);

// Closes the explorer window that creating the group opened (caption "Vorn"),
// first waiting up to waitMs for it to appear: it opens in a process of its own.
void CloseGroupWindows(int waitMs = 0);

}  // namespace vorn::e2e
