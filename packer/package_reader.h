// Reading packages: any file (a package or a built installer) split into its
// members with the installer's own marker matcher, and checked the way the
// installer reads it. verify and extract both go through here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "packer/bytes.h"

namespace vorn {

// A file's bytes as the installer sees them.
struct PackageSplit {
    // The members as the pump reads them: bytes before the first marker
    // dropped, each member up to the next marker, the closing pair (an empty
    // member) ending the package; without it the last member runs to the
    // end of the file, a partial marker pending there included.
    std::vector<Bytes> members;
    bool closed = false;  // the closing double marker was found
    size_t start = 0;     // offset of the first marker, or the file's size
    size_t end = 0;       // offset behind the closing pair, or the file's size
    // The CRC-32 the installer's scan computes: every member byte up to the
    // closing pair, a partial marker pending at the end of the file left out.
    uint32_t crc = 0;
};

PackageSplit SplitPackage(const Bytes& file);

struct MemberReport {
    std::string name;
    size_t size = 0;    // decoded bytes
    size_t packed = 0;  // member stream bytes, header included
};

struct CheckedPackage {
    uint32_t crc = 0;
    std::vector<MemberReport> members;
    std::vector<Bytes> contents;  // decoded members
    // The CRC a built installer carries in its version information (key
    // kCrcTextKey, eight hex digits, inside the version resource); a bare
    // package carries none.
    bool carriesCrc = false;
    uint32_t carriedCrc = 0;
    // The CRC an installer compares its package with, in its CRC slot
    // (raw-data resource 5); a bare package has none.
    bool carriesCrcSlot = false;
    uint32_t slotCrc = 0;
};

// The check of the packer's verify and extract, in the installer's order:
// the file's package and CRC, its members split with the pump's matcher, the
// CRC compared with the ones an installer carries (version information and
// CRC slot) and with expectedCrc when given, then each member decoded. A
// program whose CRC slot the installer could not use is refused. Only a CRC shows a damaged byte inside a
// member (such a member often still decodes, to other bytes): a bare package
// checked without expectedCrc has passed the structure and decoding checks
// only. Stricter than the installer where it would install a wrong file
// without a word: the closing pair must be there, and every member must
// decode to exactly its declared size. False with a one-line fault.
bool CheckPackageFile(const std::string& path, CheckedPackage* package, std::string* error,
                      const uint32_t* expectedCrc = nullptr);

// The same check on a file's bytes already read; path names it in the fault.
bool CheckPackageBytes(const std::string& path, const Bytes& file, CheckedPackage* package, std::string* error,
                       const uint32_t* expectedCrc = nullptr);

}  // namespace vorn
