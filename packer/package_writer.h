// Building a package from a payload folder, and checking any file (a package
// or a built installer) the way the installer reads it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "packer/file_output.h"
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
    // The CRC a built installer carries in its version information (key
    // kCarriedCrcKey, eight hex digits), found behind the package; a bare
    // package carries none.
    bool carriesCrc = false;
    uint32_t carriedCrc = 0;
    // The CRC an installer compares its package with, in its CRC slot
    // (raw-data resource 5); a bare package has none.
    bool carriesCrcSlot = false;
    uint32_t slotCrc = 0;
};

// The version-information key under which an installer carries its package's
// CRC, beside the CRC slot that its package check reads.
inline constexpr char kCarriedCrcKey[] = "PackageCRC32";

// The check of the packer's verify and extract, in the installer's order:
// scans the file for its package and CRC, splits the members with the pump's
// matcher, compares the CRC with the ones an installer carries (version
// information and CRC slot) and with expectedCrc when given, then decodes
// each member. Only a CRC shows a damaged byte inside a member (such a member
// often still decodes, to other bytes): a bare package checked without
// expectedCrc has passed the structure and decoding checks only. False with
// a one-line fault.
bool CheckPackageFile(const std::string& path, CheckedPackage* package, std::string* error,
                      const uint32_t* expectedCrc = nullptr);

}  // namespace vorn
