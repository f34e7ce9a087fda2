// Reading a PE image's headers, sections and resource tree from its bytes,
// every offset checked against the file: what the installer writer needs to
// find and move resource data. No file I/O.
//
// The pieces read (offsets from the optional header; PE32 / PE32+):
//   +8   SizeOfInitializedData    +32 SectionAlignment   +36 FileAlignment
//   +56  SizeOfImage              +60 SizeOfHeaders     +64 CheckSum
//   +92 / +108  NumberOfRvaAndSizes, then the data directories (8 bytes each):
//               2 the resource directory, 4 the certificate table
// Resource tree: three levels of tables (type, name, language), each a 16-byte
// header with the counts of named and numbered entries at +12 and +14, then
// 8-byte entries (id or name offset; offset of a table, high bit set, or of a
// 16-byte data entry: RVA, Size, code page, reserved). Offsets count from the
// start of the resource directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "packer/bytes.h"

namespace vorn {

struct PeSection {
    size_t headerAt = 0;  // its 40-byte header in the section table
    uint32_t rva = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    size_t fileAt = 0;
};

struct PeHeaders {
    size_t checksumAt = 0;
    size_t sizeOfImageAt = 0;
    size_t initializedDataAt = 0;
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfImage = 0;
    uint32_t sizeOfHeaders = 0;
    size_t headersEnd = 0;     // behind the section table
    uint32_t resourceRva = 0;  // 0: no resource directory
    uint32_t resourceSize = 0;
    size_t resourceSizeAt = 0;
    uint32_t certificateAt = 0;  // the certificate table (a file offset), 0 when unsigned
    uint32_t certificateSize = 0;
    std::vector<PeSection> sections;
};

inline constexpr uint32_t kNamedResource = 0xFFFFFFFF;  // a type or name given as a string
inline constexpr uint32_t kRawDataType = 10;            // RT_RCDATA
inline constexpr uint32_t kVersionType = 16;            // RT_VERSION

struct ResourceData {
    uint32_t type = 0;  // numeric type, or kNamedResource
    uint32_t name = 0;  // numeric name, or kNamedResource
    size_t entryAt = 0; // its 16-byte data entry, in the file
    uint32_t rva = 0;   // its data in memory
    uint32_t size = 0;
};

struct ResourceTree {
    const PeSection* section = nullptr;  // the section that holds the directory
    uint32_t structureEnd = 0;           // RVA behind the last table, entry, name or data entry
    // Empty, or why a loader would not find what this reading found: a
    // loader takes each table's named entries first and searches its
    // numbered ones as sorted.
    std::string searchFault;
    std::vector<ResourceData> data;
};

// The DOS and PE headers, the optional header's fields above and the section
// table. False with a one-line reason when the bytes are not a PE image.
bool ReadPeHeaders(const Bytes& image, PeHeaders* headers, std::string* error);

// The resource tree, each resource's data inside the section that holds the
// directory (and searchFault set where a loader would search it otherwise).
// False with a one-line reason.
bool ReadResourceTree(const Bytes& image, const PeHeaders& headers, ResourceTree* tree, std::string* error);

// The file offset of rva inside section, for size bytes that lie in the
// section's file bytes; false when they do not.
bool FileOffset(const PeSection& section, uint32_t rva, uint32_t size, size_t* at);

uint32_t Read32(const Bytes& bytes, size_t at);
void Write32(Bytes& bytes, size_t at, uint32_t value);

// value rounded up to a multiple of alignment, in 64 bits so that nothing wraps.
inline uint64_t RoundUp(uint64_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// The PE code's refusals: the one-line reason into error, and false.
inline bool Refuse(std::string* error, const std::string& reason)
{
    *error = reason;
    return false;
}

}  // namespace vorn
