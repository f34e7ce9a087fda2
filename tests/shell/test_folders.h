// Folders of the shell-side Wine tests: fresh ones under C:\ (the completion
// actions look at the root of the current drive), with the demo payload
// copied into them.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/files.h"

namespace vorn::test {

constexpr const char* kTestRoot = "C:\\vorn-shell-tests";

// An empty folder C:\vorn-shell-tests\<name>, made anew.
inline std::string ShellTestFolder(const std::string& name)
{
    const std::string folder = std::string(kTestRoot) + "\\" + name;
    FreshFolder(folder);
    return folder;
}

// Copies the demo payload's files that match the pattern into a folder;
// false when none matched or a copy failed.
inline bool CopyPayload(const std::string& folder, const char* pattern = "*")
{
    const std::string payload = VORN_TEST_PAYLOAD_DIR;
    const auto names = FolderEntries(payload, pattern);
    for (const std::string& name : names)
        if (!CopyFileA((payload + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE))
            return false;
    return !names.empty();
}

}  // namespace vorn::test
