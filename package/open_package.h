// The package check at Install: the CRC of the installer's own package
// against the one in the installer's CRC slot (the shell hands it over),
// then the file opened again for the pump.
#pragma once
#include <cstdint>

namespace vorn {

constexpr int kInstallerPathSize = 899;
extern char InstallerPath[kInstallerPathSize];  // the running installer's own file

// CRC-32 of the package in the file at path, or 0 when the file cannot be
// opened or read. Shows the wait cursor meanwhile.
uint32_t ScanPackage(const char* path);

// True when the package's CRC is expectedCrc and extraction.packageStream is
// open at byte 0; false after box [2], [10] or [9], with nothing left open.
// Runs after ResetExtraction.
bool OpenPackage(uint32_t expectedCrc);

}  // namespace vorn
