// Helpers of the shell-side Wine tests: fresh folders under C:\, the demo
// payload copied into them, whole files read and written.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vorn::test {

constexpr const char* kTestRoot = "C:\\vorn-shell-tests";

// Deletes a folder and everything in it; a missing folder is fine.
inline void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// An empty folder C:\vorn-shell-tests\<name>, made anew.
inline std::string FreshFolder(const std::string& name)
{
    CreateDirectoryA(kTestRoot, nullptr);
    const std::string folder = std::string(kTestRoot) + "\\" + name;
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// File names (not folders) in a folder that match a pattern such as "*.lnk".
inline std::vector<std::string> FileNames(const std::string& folder, const char* pattern = "*")
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Copies one file of the demo payload (or all of them) into a folder.
inline bool CopyPayload(const std::string& folder, const char* pattern = "*")
{
    const std::string payload = VORN_TEST_PAYLOAD_DIR;
    const auto names = FileNames(payload, pattern);
    for (const std::string& name : names)
        if (!CopyFileA((payload + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE))
            return false;
    return !names.empty();
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadWhole(const std::string& path)
{
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

inline bool WriteWhole(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return written == content.size();
}

}  // namespace vorn::test
