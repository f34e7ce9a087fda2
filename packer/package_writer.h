// Building a package from a payload folder, and checking any file (a package
// or a built installer) the way the installer reads it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "packer/member_encoder.h"

namespace vorn {

struct MemberReport {
    std::string name;
    size_t size = 0;    // decoded bytes
    size_t packed = 0;  // member stream bytes, header included
};

struct BuiltPackage {
    Bytes bytes;  // "ARNI", ten members each behind a marker, "ARNIARNI", CR LF
    uint32_t crc = 0;
    std::vector<MemberReport> members;
};

// Reads the ten member files of the payload folder by their member-table
// names and packs them. False with a one-line reason naming the file.
bool BuildPackage(const std::string& payloadDir, BuiltPackage* package, std::string* error);

struct CheckedPackage {
    uint32_t crc = 0;
    std::vector<MemberReport> members;
    std::vector<Bytes> contents;  // decoded members
};

// Scans the file for its package and CRC, splits the members with the pump's
// matcher and decodes each. False with the fault when anything is off.
bool CheckPackageFile(const std::string& path, CheckedPackage* package, std::string* error);

// Writes bytes to path through a temporary file beside it, so that a failed
// write never leaves a partial file. False with the reason.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string* error);

}  // namespace vorn
