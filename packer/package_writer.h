// Building a package from a payload folder. The bytes go out through the
// output writer (packer/fs/file_output.h), into a file of their own or into an
// installer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "packer/fs/file_output.h"
#include "packer/bytes.h"
#include "packer/package_reader.h"  // MemberReport

namespace vorn {

struct BuiltPackage {
    Bytes bytes;  // "ARNI", ten members each behind a marker, "ARNIARNI", CR LF
    uint32_t crc = 0;
    std::vector<MemberReport> members;
};

// Reads the ten member files of the payload folder by their member-table
// names and packs them. False with a one-line reason naming the file.
bool BuildPackage(const std::string& payloadDir, BuiltPackage* package, std::string* error);

}  // namespace vorn
