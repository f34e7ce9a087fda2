// The installed files, temporary files and uninstall entry of a run.
#include "tests/e2e/driver/outcome.h"

#include <cstring>

namespace vorn::e2e {

std::string CompareWithPayload(const std::string& folder, const std::string& payloadDir, bool settingsAmended)
{
    std::string faults;
    for (const char* name : kMemberNames) {
        std::string expected, actual;
        if (!ReadFileText(payloadDir + "\\" + name, &expected)) {
            faults += std::string("payload file ") + name + " unreadable\n";
            continue;
        }
        if (!ReadFileText(folder + "\\" + name, &actual)) {
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
    const std::string folder = TemporaryFolder();
    return folder.empty() ? std::vector<std::string>{} : FolderEntries(folder, "vorn*.tmp");
}

}  // namespace vorn::e2e
