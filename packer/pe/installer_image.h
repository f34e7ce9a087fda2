// Making an installer from the prebuilt stub: the package written into the
// stub's empty package slot, its CRC into the CRC slot and the version
// information, and the image's own bookkeeping kept true. Pure functions on
// bytes, no file I/O, so that the packer on any system and the tests share them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "packer/bytes.h"
#include "packer/pe/carried_crc.h"

namespace vorn {

// Resource data lies in the resource section at multiples of this; the data
// behind the package moves by a whole number of them.
inline constexpr uint32_t kResourceDataAlignment = 8;

// Where the writer's pieces lie in a stub: offsets into its bytes, or RVAs.
struct StubLayout {
    size_t checksumAt = 0;         // the optional header's CheckSum
    size_t sizeOfImageAt = 0;      // SizeOfImage
    size_t initializedDataAt = 0;  // SizeOfInitializedData
    size_t resourceSizeAt = 0;     // the resource data directory's Size
    size_t sectionHeaderAt = 0;    // the resource section's header
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sectionRva = 0;  // the resource section in memory
    uint32_t sectionVirtualSize = 0;
    uint32_t sectionRawSize = 0;
    size_t sectionFileAt = 0;   // ... and in the file
    size_t packageEntryAt = 0;  // slot 4's data entry
    uint32_t packageRva = 0;    // where slot 4's (empty) data lies
    uint32_t crcSlotRva = 0;    // slot 5's four bytes
    uint32_t crcTextRva = 0;    // the eight UTF-16 hex digits of PackageCRC32
    std::vector<size_t> entriesBehind;  // data entries whose data lies behind slot 4's
};

// Reads a stub: a PE image a loader would run and the writer can keep true
// (image_rules.h), whose resource section is its last, in memory and in the
// file, with nothing behind it (so unsigned); raw-data resource 4
// empty, with the resource directory and every other resource's data either
// wholly ahead of it or behind it; raw-data resource 5 as the installer finds
// it (carried_crc.h); version
// information carrying PackageCRC32 as eight hex digits; and no package
// marker, whole or pending, ahead of slot 4. False with a one-line reason.
bool ReadStub(const Bytes& stub, StubLayout* layout, std::string* error);

// The installer: the stub with the package in slot 4 and crc in slot 5 and
// in the version information, the resource data that lay behind slot 4 moved
// up behind the package, the section, image and resource directory sizes
// grown to match, and the checksum recomputed. The result is checked in
// memory before it is given back (installer_check.h): a fault of the writer
// is a refusal, never an installer. False with a one-line reason.
bool MakeInstaller(const Bytes& stub, const Bytes& package, uint32_t crc, Bytes* installer, std::string* error);

// The image checksum of the optional header: the file summed in 16-bit
// little-endian words with end-around carry, the CheckSum field counted as
// zero, folded to 16 bits, plus the file's length.
uint32_t ImageChecksum(const Bytes& image, size_t checksumAt);

}  // namespace vorn
