// The installer made from the stub: "truncate and append". The stub's
// resource section is its last, and the empty package slot's data lies
// behind the resource directory and every resource the installer must not
// scan past (icons, dialogs, the licence), ahead of those that may follow the
// package (the CRC slot, the group icons, the version information). So every
// byte ahead of the slot is kept, the package goes in, and the bytes that lay
// behind the slot follow it, moved by the package's size rounded up to the
// resource data alignment.
#include "packer/installer_image.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "package/marker.h"
#include "packer/pe_image.h"

namespace vorn {
namespace {

// The largest package the writer takes: far beyond any payload, and small
// enough that no size or RVA it touches can pass 32 bits.
constexpr size_t kLargestPackage = size_t{1} << 30;

uint32_t RoundUp(uint32_t value, uint32_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
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
    return found;
}

// The RVA of the CRC text in version information data; 0 when it is not there.
uint32_t FindCrcTextRva(const Bytes& image, const PeSection& section, const ResourceData& version)
{
    size_t at, digitsAt;
    uint32_t ignored;
    if (!FileOffset(section, version.rva, version.size, &at) ||
        !FindCrcText(image, at, at + version.size, &digitsAt, &ignored))
        return 0;
    return section.rva + static_cast<uint32_t>(digitsAt - section.fileAt);
}

bool Refuse(std::string* error, const std::string& reason)
{
    *error = reason;
    return false;
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

bool ReadStub(const Bytes& stub, StubLayout* layout, std::string* error)
{
    *layout = StubLayout{};
    PeHeaders pe;
    if (!ReadPeHeaders(stub, &pe, error))
        return false;
    // A signature covers the whole file: the packer cannot keep it, and a
    // stub signed and then packed would carry a broken one.
    if (pe.certificateAt != 0 || pe.certificateSize != 0)
        return Refuse(error, "signed: make the installer from the unsigned stub, then sign the installer");
    ResourceTree tree;
    if (!ReadResourceTree(stub, pe, &tree, error))
        return Refuse(error, "not an installer stub: " + *error);
    const PeSection& rsrc = *tree.section;
    bool several;
    const ResourceData* package = FindOnly(tree, kRawDataType, kPackageSlotId, &several);
    if (!package || several)
        return Refuse(error, "not an installer stub: no package slot (raw-data resource 4)");
    if (package->size != 0)
        return Refuse(error, "already carries a package: make installers from the empty stub");
    const ResourceData* slot = FindOnly(tree, kRawDataType, kCrcSlotId, &several);
    if (!slot || several || slot->size != kCrcSlotSize)
        return Refuse(error, "not an installer stub: no CRC slot (raw-data resource 5 of four bytes)");
    const ResourceData* version = FindOnly(tree, kVersionType, 1, &several);
    layout->crcTextRva = version && !several ? FindCrcTextRva(stub, rsrc, *version) : 0;
    if (layout->crcTextRva == 0)
        return Refuse(error, "not an installer stub: its version information carries no PackageCRC32");

    // The resource section is the last in memory and in the file, and the
    // file ends with it: growing it moves nothing else.
    for (const PeSection& s : pe.sections) {
        if (&s != &rsrc && (s.rva >= rsrc.rva || (s.rawSize != 0 && s.fileAt >= rsrc.fileAt)))
            return Refuse(error, "not an installer stub: the resource section is not the last section");
    }
    if (rsrc.virtualSize > rsrc.rawSize)
        return Refuse(error, "not an installer stub: the resource section is larger in memory than in the file");
    if (stub.size() != rsrc.fileAt + rsrc.rawSize)
        return Refuse(error, "not an installer stub: bytes behind its last section");
    if (pe.resourceRva + pe.resourceSize != rsrc.rva + rsrc.virtualSize)
        return Refuse(error, "not an installer stub: the resource directory does not end with its section");

    // Ahead of the slot: the directory and the resources that end there;
    // behind it: whole resources only.
    const uint32_t at = package->rva;
    if (tree.structureEnd > at || at % kResourceDataAlignment != 0)
        return Refuse(error, "not an installer stub: the package slot is not behind the resource directory");
    for (const ResourceData& d : tree.data) {
        if (&d == package)
            continue;
        if (d.rva < at && d.rva + d.size > at)
            return Refuse(error, "not an installer stub: a resource overlaps the package slot");
        if (d.rva >= at)
            layout->entriesBehind.push_back(d.entryAt);
    }
    if (slot->rva < at || layout->crcTextRva < at)
        return Refuse(error, "not an installer stub: its CRC slots lie ahead of the package slot");

    // The installer finds its package by scanning its own file: nothing ahead
    // of the slot may hold the marker or leave part of one pending.
    const size_t packageAt = rsrc.fileAt + (at - rsrc.rva);
    MarkerMatcher matcher;
    for (size_t i = 0; i < packageAt; ++i) {
        int pending = 0;
        if (FeedMatcher(matcher, stub[i], &pending) == MatchStep::Marker)
            return Refuse(error, "not an installer stub: the package marker at byte " + std::to_string(i - 3) +
                                     ", ahead of the package slot");
    }
    if (matcher.matched != 0)
        return Refuse(error, "not an installer stub: part of the package marker pending at the package slot");

    layout->checksumAt = pe.checksumAt;
    layout->sizeOfImageAt = pe.sizeOfImageAt;
    layout->initializedDataAt = pe.initializedDataAt;
    layout->resourceSizeAt = pe.resourceSizeAt;
    layout->sectionHeaderAt = rsrc.headerAt;
    layout->sectionAlignment = pe.sectionAlignment;
    layout->fileAlignment = pe.fileAlignment;
    layout->sectionRva = rsrc.rva;
    layout->sectionVirtualSize = rsrc.virtualSize;
    layout->sectionRawSize = rsrc.rawSize;
    layout->sectionFileAt = rsrc.fileAt;
    layout->packageEntryAt = package->entryAt;
    layout->packageRva = at;
    layout->crcSlotRva = slot->rva;
    return true;
}

bool MakeInstaller(const Bytes& stub, const Bytes& package, uint32_t crc, Bytes* installer, std::string* error)
{
    StubLayout s;
    if (!ReadStub(stub, &s, error))
        return false;
    if (package.empty() || package.size() > kLargestPackage)
        return Refuse(error, package.empty() ? "empty package" : "package larger than 1 GiB");
    const uint32_t packageSize = static_cast<uint32_t>(package.size());
    const uint32_t shift = RoundUp(packageSize, kResourceDataAlignment);
    const uint32_t virtualSize = s.sectionVirtualSize + shift;
    const uint32_t rawSize = RoundUp(virtualSize, s.fileAlignment);
    auto fileAt = [&](uint32_t rva) { return s.sectionFileAt + (rva - s.sectionRva); };
    const size_t packageAt = fileAt(s.packageRva);
    const size_t tailEnd = fileAt(s.sectionRva + s.sectionVirtualSize);

    Bytes& out = *installer;
    out.assign(stub.begin(), stub.begin() + static_cast<ptrdiff_t>(packageAt));
    out.insert(out.end(), package.begin(), package.end());
    out.resize(packageAt + shift, 0);
    out.insert(out.end(), stub.begin() + static_cast<ptrdiff_t>(packageAt),
               stub.begin() + static_cast<ptrdiff_t>(tailEnd));
    out.resize(s.sectionFileAt + rawSize, 0);

    Write32(out, s.sectionHeaderAt + 8, virtualSize);  // VirtualSize
    Write32(out, s.sectionHeaderAt + 16, rawSize);     // SizeOfRawData
    Write32(out, s.resourceSizeAt, Read32(out, s.resourceSizeAt) + shift);
    Write32(out, s.sizeOfImageAt, RoundUp(s.sectionRva + virtualSize, s.sectionAlignment));
    // A sum of file sizes that counts this section: it grows as the section's does.
    Write32(out, s.initializedDataAt, Read32(out, s.initializedDataAt) + (rawSize - s.sectionRawSize));
    Write32(out, s.packageEntryAt + 4, packageSize);
    for (size_t entry : s.entriesBehind)
        Write32(out, entry, Read32(out, entry) + shift);

    Write32(out, fileAt(s.crcSlotRva + shift), crc);
    char digits[kCrcTextDigits + 1];
    snprintf(digits, sizeof digits, "%08X", crc);
    for (uint32_t i = 0; i < kCrcTextDigits; ++i)
        out[fileAt(s.crcTextRva + shift) + 2 * i] = static_cast<uint8_t>(digits[i]);

    Write32(out, s.checksumAt, ImageChecksum(out, s.checksumAt));
    return true;
}

bool ReadCrcSlot(const Bytes& image, uint32_t* crc)
{
    PeHeaders pe;
    ResourceTree tree;
    std::string ignored;
    if (!ReadPeHeaders(image, &pe, &ignored) || !ReadResourceTree(image, pe, &tree, &ignored))
        return false;
    bool several;
    const ResourceData* slot = FindOnly(tree, kRawDataType, kCrcSlotId, &several);
    size_t at;
    if (!slot || several || slot->size != kCrcSlotSize || !FileOffset(*tree.section, slot->rva, kCrcSlotSize, &at))
        return false;
    *crc = Read32(image, at);
    return true;
}

uint32_t ImageChecksum(const Bytes& image, size_t checksumAt)
{
    auto byte = [&](size_t i) -> uint32_t {
        return i >= image.size() || (i >= checksumAt && i < checksumAt + 4) ? 0 : image[i];
    };
    uint32_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        sum += byte(i) | byte(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<uint32_t>(image.size());
}

}  // namespace vorn
