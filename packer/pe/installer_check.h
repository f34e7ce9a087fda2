// The writer's check of its own result, in memory, before anything is
// written: the installer read back the way verify and the installer read it.
#pragma once
#include <cstdint>
#include <string>

#include "packer/bytes.h"

namespace vorn {

// True when installer is what the writer means to give: an image a loader
// would run (image_rules.h) whose resource section ends the file and the
// image; package in slot 4, where the installer's scan finds it whole (its
// first marker, its members and its closing pair, nothing else); crc the
// package's CRC, in the CRC slot as the installer finds it and in the version
// information's PackageCRC32; the section, directory and image sizes and the
// checksum as computed from the bytes. Else false with a one-line reason.
bool CheckInstaller(const Bytes& installer, const Bytes& package, uint32_t crc, std::string* error);

}  // namespace vorn
