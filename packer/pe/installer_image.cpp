// The installer made from the stub: "truncate and append". The stub's
// resource section is its last, and the empty package slot's data lies
// behind the resource directory and every resource the installer must not
// scan past (icons, dialogs, the licence), ahead of those that may follow the
// package (the CRC slot, the group icons, the version information). So every
// byte ahead of the slot is kept, the package goes in, and the bytes that lay
// behind the slot follow it, moved by the package's size rounded up to the
// resource data alignment.
#include "packer/pe/installer_image.h"

#include <cstdio>

#include "package/marker.h"
#include "packer/pe/image_rules.h"
#include "packer/pe/installer_check.h"
#include "packer/pe/pe_image.h"

namespace vorn {
namespace {

// The largest package the writer takes: far beyond any payload, and small
// enough that no size it touches can pass 32 bits (the RVAs are checked).
constexpr size_t kLargestPackage = size_t{1} << 30;

// The RVA of a file offset inside section.
uint32_t RvaAt(const PeSection& section, size_t at)
{
    return section.rva + static_cast<uint32_t>(at - section.fileAt);
}

}  // namespace

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
    if (!package)
        return Refuse(error, "not an installer stub: no package slot (raw-data resource 4)");
    if (package->size != 0)
        return Refuse(error, "already carries a package: make installers from the empty stub");
    size_t slotAt, digitsAt;
    uint32_t ignored;
    const ResourceData* slot = FindCrcSlot(pe, tree, &slotAt, error);
    if (!slot)
        return Refuse(error, "not an installer stub: " + *error);
    if (!FindVersionCrcText(stub, tree, &digitsAt, &ignored))
        return Refuse(error, "not an installer stub: its version information carries no PackageCRC32");
    layout->crcTextRva = RvaAt(rsrc, digitsAt);

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
    if (!CheckImageRules(pe, error) || !CheckResourceRules(tree, error))
        return Refuse(error, "not an installer stub: " + *error);

    // Ahead of the slot: the directory and the resources that end there;
    // behind it: whole resources only.
    const uint32_t at = package->rva;
    if (tree.structureEnd > at || at % kResourceDataAlignment != 0)
        return Refuse(error, "not an installer stub: the package slot is not behind the resource directory");
    for (const ResourceData& d : tree.data) {
        if (&d == package)
            continue;
        if (d.rva < at && uint64_t{d.rva} + d.size > at)
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
    const uint32_t shift = static_cast<uint32_t>(RoundUp(packageSize, kResourceDataAlignment));
    // The grown section must still end inside the 32 bits of an image.
    if (uint64_t{s.sectionRva} + s.sectionVirtualSize + shift + s.sectionAlignment > UINT32_MAX)
        return Refuse(error, "the installer would not fit in an image's 4 GiB");
    const uint32_t virtualSize = s.sectionVirtualSize + shift;
    const uint32_t rawSize = static_cast<uint32_t>(RoundUp(virtualSize, s.fileAlignment));
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
    Write32(out, s.sizeOfImageAt, static_cast<uint32_t>(RoundUp(s.sectionRva + virtualSize, s.sectionAlignment)));
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
    if (!CheckInstaller(out, package, crc, error)) {
        out.clear();
        return Refuse(error, "the installer made from it would not be sound: " + *error);
    }
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
