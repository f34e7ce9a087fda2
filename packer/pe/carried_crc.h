// The package CRC an installer carries, found as the installer and a reader
// of its version information find it: the CRC slot (raw-data resource 5)
// through the resource tree, and the PackageCRC32 text inside the version
// resource. Shared by the stub reader, the writer's check of its own result,
// and verify.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "packer/bytes.h"
#include "packer/pe/pe_image.h"

namespace vorn {

// Raw-data resources of the stub (resources/resource_ids.h names them too).
// Slot 4 is empty in the stub and holds the package in an installer; slot 5
// holds the package's CRC-32, four bytes little-endian, 0 in the stub.
inline constexpr uint32_t kPackageSlotId = 4;
inline constexpr uint32_t kCrcSlotId = 5;
inline constexpr uint32_t kCrcSlotSize = 4;

// The installer's package CRC as text in its version information, under this
// key: the key in UTF-16 with its terminating zero, zero padding, then eight
// UTF-16 hex digits and a terminating zero. "00000000" in the stub.
inline constexpr char kCrcTextKey[] = "PackageCRC32";
inline constexpr uint32_t kCrcTextDigits = 8;
inline constexpr uint32_t kVersionName = 1;

// Looks for the CRC text within bytes [from, end): false when it is not
// there, else the offset of its first digit and its value.
bool FindCrcText(const Bytes& bytes, size_t from, size_t end, size_t* digitsAt, uint32_t* value);

// The one resource of this type and name; null when there is none, and null
// with several set when there are more.
const ResourceData* FindOnly(const ResourceTree& tree, uint32_t type, uint32_t name, bool* several);

// The CRC slot as the installer finds it: exactly one raw-data resource 5,
// four bytes, inside the image's file bytes; null with the reason (which
// begins "no CRC slot") when the installer could not use it.
const ResourceData* FindCrcSlot(const PeHeaders& headers, const ResourceTree& tree, size_t* at,
                                std::string* reason);

// The CRC text inside the version resource (version information 1, given
// once): false when it is not there.
bool FindVersionCrcText(const Bytes& image, const ResourceTree& tree, size_t* digitsAt, uint32_t* value);

enum class CarriedCrcRead {
    NotAProgram,  // no MZ and PE header: a bare package, which carries no CRC
    Found,        // a program with a CRC slot the installer can use
    Unusable,     // a program whose CRC slot the installer cannot use (a reason given)
};

struct CarriedCrc {
    uint32_t slot = 0;
    size_t slotAt = 0;       // the slot's four bytes in the file
    bool hasText = false;    // PackageCRC32 in the version information
    uint32_t text = 0;
    size_t textAt = 0;       // its first digit in the file
};

// Reads both CRCs of a file as the installer and its version information
// give them.
CarriedCrcRead ReadCarriedCrc(const Bytes& image, CarriedCrc* crc, std::string* reason);

// The CRC in slot 5 of an installer (or a stub); false when the bytes are not
// a PE image with a slot the installer can use.
bool ReadCrcSlot(const Bytes& image, uint32_t* crc);

}  // namespace vorn
