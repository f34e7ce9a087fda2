// Where the packer finds the installer stub when no --stub is given: beside
// its own executable (the build puts the 32-bit stub beside the packer it
// builds), then where `cmake --install` puts it, <prefix>/share/vorn beside
// <prefix>/bin. Shared by the packer on Linux and on Windows.
#pragma once
#include <string>
#include <vector>

namespace vorn {

inline constexpr char kStubFileName[] = "vornstub.exe";

// The running program's own file: /proc/self/exe on Linux, the module's file
// name on Windows. Empty when the system does not say.
std::string OwnExecutablePath();

// The places to look, in order, for a packer whose executable is at
// executablePath (none when that is empty).
std::vector<std::string> DefaultStubPaths(const std::string& executablePath);

// The first of DefaultStubPaths(OwnExecutablePath()) that names a file; false
// when none does, with the places looked at in tried.
bool FindDefaultStub(std::string* path, std::vector<std::string>* tried);

}  // namespace vorn
