// The default stub's places, found from the packer's own path.
#include "packer/pe/stub_location.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vorn {

std::string OwnExecutablePath()
{
    char path[4096];
#ifdef _WIN32
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
#else
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 && static_cast<size_t>(length) < sizeof path ? std::string(path, length) : std::string();
#endif
}

std::vector<std::string> DefaultStubPaths(const std::string& executablePath)
{
    const size_t slash = executablePath.find_last_of("/\\");
    if (slash == std::string::npos)
        return {};
    const std::string folder = executablePath.substr(0, slash + 1);  // with its separator
    const char separator = executablePath[slash];
    return {folder + kStubFileName,
            folder + ".." + separator + "share" + separator + "vorn" + separator + kStubFileName};
}

bool FindDefaultStub(std::string* path, std::vector<std::string>* tried)
{
    *tried = DefaultStubPaths(OwnExecutablePath());
    for (const std::string& candidate : *tried) {
        struct stat s;
        if (stat(candidate.c_str(), &s) == 0 && S_ISREG(s.st_mode)) {
            *path = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace vorn
