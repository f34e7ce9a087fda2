// The CRC slot through the resource tree and the CRC text through the
// version resource, one reading for the writer and for verify.
#include "packer/pe/carried_crc.h"

#include <algorithm>
#include <cctype>

namespace vorn {
namespace {

constexpr uint32_t kMzSignature = 0x5A4D;     // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kPeOffsetAt = 0x3C;

// A file that says it is a program: MZ, and the PE signature where the DOS
// header points. Anything else is read as a bare package.
bool SaysItIsAProgram(const Bytes& image)
{
    if (image.size() < kPeOffsetAt + 4 || (image[0] | image[1] << 8) != kMzSignature)
        return false;
    const size_t pe = Read32(image, kPeOffsetAt);
    return pe <= image.size() - 4 && Read32(image, pe) == kPeSignature;
}

}  // namespace

bool FindCrcText(const Bytes& bytes, size_t from, size_t end, size_t* digitsAt, uint32_t* value)
{
    Bytes key;
    for (const char* c = kCrcTextKey;; ++c) {
        key.push_back(static_cast<uint8_t>(*c));
        key.push_back(0);
        if (!*c)
            break;
    }
    end = std::min(end, bytes.size());
    if (from >= end)
        return false;
    const auto last = bytes.begin() + static_cast<ptrdiff_t>(end);
    const auto found = std::search(bytes.begin() + static_cast<ptrdiff_t>(from), last, key.begin(), key.end());
    if (found == last)
        return false;
    size_t p = static_cast<size_t>(found - bytes.begin()) + key.size();
    while (p + 2 <= end && bytes[p] == 0 && bytes[p + 1] == 0)
        p += 2;
    *digitsAt = p;
    uint32_t v = 0;
    for (uint32_t i = 0; i < kCrcTextDigits; ++i, p += 2) {
        if (p + 2 > end || bytes[p + 1] != 0 || !isxdigit(bytes[p]))
            return false;
        const int c = bytes[p];
        v = v * 16 + static_cast<uint32_t>(isdigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    if (p + 2 > end || bytes[p] != 0 || bytes[p + 1] != 0)
        return false;
    *value = v;
    return true;
}

const ResourceData* FindOnly(const ResourceTree& tree, uint32_t type, uint32_t name, bool* several)
{
    const ResourceData* found = nullptr;
    *several = false;
    for (const ResourceData& d : tree.data) {
        if (d.type == type && d.name == name) {
            *several = *several || found != nullptr;
            found = &d;
        }
    }
    return *several ? nullptr : found;
}

const ResourceData* FindCrcSlot(const PeHeaders& headers, const ResourceTree& tree, size_t* at,
                                std::string* reason)
{
    bool several;
    const ResourceData* slot = FindOnly(tree, kRawDataType, kCrcSlotId, &several);
    if (!slot) {
        *reason = several ? "no CRC slot the installer can use: raw-data resource 5 given more than once"
                          : "no CRC slot (raw-data resource 5)";
        return nullptr;
    }
    if (slot->size != kCrcSlotSize) {
        *reason = "no CRC slot the installer can use: raw-data resource 5 of " + std::to_string(slot->size) +
                  " bytes, not four";
        return nullptr;
    }
    if (uint64_t{slot->rva} + kCrcSlotSize > headers.sizeOfImage ||
        !FileOffset(*tree.section, slot->rva, kCrcSlotSize, at)) {
        *reason = "no CRC slot the installer can use: raw-data resource 5 lies outside the image";
        return nullptr;
    }
    return slot;
}

bool FindVersionCrcText(const Bytes& image, const ResourceTree& tree, size_t* digitsAt, uint32_t* value)
{
    bool several;
    const ResourceData* version = FindOnly(tree, kVersionType, kVersionName, &several);
    size_t at;
    return version && FileOffset(*tree.section, version->rva, version->size, &at) &&
           FindCrcText(image, at, at + version->size, digitsAt, value);
}

CarriedCrcRead ReadCarriedCrc(const Bytes& image, CarriedCrc* crc, std::string* reason)
{
    *crc = CarriedCrc{};
    if (!SaysItIsAProgram(image))
        return CarriedCrcRead::NotAProgram;
    PeHeaders pe;
    ResourceTree tree;
    std::string why;
    if (!ReadPeHeaders(image, &pe, &why) || !ReadResourceTree(image, pe, &tree, &why)) {
        *reason = "no CRC slot the installer can use: " + why;
        return CarriedCrcRead::Unusable;
    }
    if (!FindCrcSlot(pe, tree, &crc->slotAt, reason))
        return CarriedCrcRead::Unusable;
    if (!tree.searchFault.empty()) {
        *reason = "no CRC slot the installer can use: " + tree.searchFault;
        return CarriedCrcRead::Unusable;
    }
    crc->slot = Read32(image, crc->slotAt);
    crc->hasText = FindVersionCrcText(image, tree, &crc->textAt, &crc->text);
    return CarriedCrcRead::Found;
}

bool ReadCrcSlot(const Bytes& image, uint32_t* crc)
{
    CarriedCrc carried;
    std::string ignored;
    if (ReadCarriedCrc(image, &carried, &ignored) != CarriedCrcRead::Found)
        return false;
    *crc = carried.slot;
    return true;
}

}  // namespace vorn
