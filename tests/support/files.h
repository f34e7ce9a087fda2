// Files and folders for the Windows tests: whole files read and written,
// folder listings, trees removed, fresh folders made.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vorn::test {

using Bytes = std::vector<unsigned char>;

// A whole file; false (or empty) when it cannot be opened or read. The
// string forms hold the file's bytes as they are, text or not.
bool ReadFileBytes(const std::string& path, Bytes* bytes);
bool ReadFileText(const std::string& path, std::string* text);
Bytes ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

// Creates or replaces the file with exactly these bytes; false when any of
// it could not be written.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
bool WriteFileText(const std::string& path, const std::string& text);

DWORD Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing
bool Exists(const std::string& path);
bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);

// Names of the entries of a folder that match the pattern ("." and ".."
// left out), sorted; empty when the folder is missing.
std::vector<std::string> FolderEntries(const std::string& folder, const std::string& pattern = "*");

// Deletes a file, or a folder and everything in it, read-only ones too;
// true when nothing is left at the path.
bool RemoveTree(const std::string& path);

// Makes the path an empty folder, its missing parents too; false when it
// cannot.
bool FreshFolder(const std::string& path);

// The temporary folder GetTempPathA gives now, with its trailing backslash
// ("" when it gives none).
std::string TemporaryFolder();

// A fresh folder for one test, "scratch\<name>" below the working folder,
// removed with all it holds when it goes out of scope.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

}  // namespace vorn::test
