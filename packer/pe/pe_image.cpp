// PE headers and resource tree read from bytes, every read bounds-checked.
#include "packer/pe/pe_image.h"

#include <algorithm>

namespace vorn {
namespace {

constexpr size_t kPeOffsetAt = 0x3C;      // in the DOS header: where "PE\0\0" starts
constexpr size_t kCoffHeaderSize = 20;    // behind the signature
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;
constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr uint32_t kTableHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
// More tables or data entries than any real program carries: a tree whose
// entries point at the same tables many times over is refused before it
// costs much.
constexpr size_t kMostResources = 4096;

bool Has(const Bytes& bytes, size_t at, size_t size)
{
    return at <= bytes.size() && size <= bytes.size() - at;
}

uint16_t Read16(const Bytes& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Walks the resource tree from one table; level 0 is the types, 1 the names,
// 2 the languages, whose entries lead to data entries.
struct TreeWalk {
    const Bytes& image;
    const PeSection& section;
    uint32_t directoryRva;
    ResourceTree* tree;
    std::string* error;
    size_t tables = 0;

    // The file offset of size bytes at offset into the directory; false (with
    // the reason set) when they lie outside the section.
    bool At(uint32_t offset, uint32_t size, const char* what, size_t* at)
    {
        const uint32_t rva = directoryRva + offset;
        if (offset >= kSubdirectoryBit || !FileOffset(section, rva, size, at)) {
            *error = std::string("resource ") + what + " outside the resource section";
            return false;
        }
        tree->structureEnd = std::max(tree->structureEnd, rva + size);
        return true;
    }

    bool Table(uint32_t offset, int level, uint32_t type, uint32_t name)
    {
        size_t at;
        if (++tables > kMostResources) {
            *error = "more resource tables than a program carries";
            return false;
        }
        if (!At(offset, kTableHeaderSize, "table", &at))
            return false;
        const uint32_t named = Read16(image, at + 12);
        const uint32_t count = named + Read16(image, at + 14);
        if (!At(offset, kTableHeaderSize + count * kEntrySize, "table", &at))
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t entry = at + kTableHeaderSize + i * kEntrySize;
            uint32_t id = Read32(image, entry);
            const uint32_t target = Read32(image, entry + 4);
            // A loader takes the counts at their word: the named entries
            // first, then the numbered ones, which it searches as sorted.
            if (tree->searchFault.empty() && ((id & kSubdirectoryBit) != 0) != (i < named))
                tree->searchFault = "a resource table whose named and numbered entries are not where its counts say";
            if (tree->searchFault.empty() && i > named && id <= Read32(image, entry - kEntrySize))
                tree->searchFault = "a resource table whose numbered entries are not in ascending order";
            if (id & kSubdirectoryBit) {  // a name: a 16-bit length, then UTF-16 characters
                size_t nameAt;
                if (!At(id & ~kSubdirectoryBit, 2, "name", &nameAt) ||
                    !At(id & ~kSubdirectoryBit, 2 + 2u * Read16(image, nameAt), "name", &nameAt))
                    return false;
                id = kNamedResource;
            }
            const bool isTable = (target & kSubdirectoryBit) != 0;
            if (isTable != (level < 2)) {
                *error = "resource tree not three levels deep";
                return false;
            }
            if (isTable) {
                if (!Table(target & ~kSubdirectoryBit, level + 1, level == 0 ? id : type, level == 1 ? id : name))
                    return false;
                continue;
            }
            size_t dataEntry;
            if (!At(target, kDataEntrySize, "data entry", &dataEntry))
                return false;
            ResourceData data{type, name, dataEntry, Read32(image, dataEntry), Read32(image, dataEntry + 4)};
            size_t ignored;
            if (!FileOffset(section, data.rva, data.size, &ignored)) {
                *error = "resource data outside the resource section";
                return false;
            }
            if (tree->data.size() == kMostResources) {
                *error = "more resources than a program carries";
                return false;
            }
            tree->data.push_back(data);
        }
        return true;
    }
};

}  // namespace

uint32_t Read32(const Bytes& bytes, size_t at)
{
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

void Write32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool FileOffset(const PeSection& section, uint32_t rva, uint32_t size, size_t* at)
{
    const uint32_t inFile = std::min(section.virtualSize, section.rawSize);
    if (rva < section.rva || rva - section.rva > inFile || size > inFile - (rva - section.rva))
        return false;
    *at = section.fileAt + (rva - section.rva);
    return true;
}

bool ReadPeHeaders(const Bytes& image, PeHeaders* headers, std::string* error)
{
    *headers = PeHeaders{};
    if (!Has(image, 0, kPeOffsetAt + 4) || image[0] != 'M' || image[1] != 'Z') {
        *error = "not a Windows program (no MZ header)";
        return false;
    }
    const size_t pe = Read32(image, kPeOffsetAt);
    if (!Has(image, pe, 4 + kCoffHeaderSize) || Read32(image, pe) != 0x00004550) {
        *error = "not a Windows program (no PE header)";
        return false;
    }
    const size_t coff = pe + 4;
    const uint16_t sectionCount = Read16(image, coff + 2);
    const uint16_t optionalSize = Read16(image, coff + 16);
    const size_t optional = coff + kCoffHeaderSize;
    if (!Has(image, optional, optionalSize) || optionalSize < 2) {
        *error = "PE optional header cut short";
        return false;
    }
    const uint16_t magic = Read16(image, optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) {
        *error = "PE optional header of unknown kind";
        return false;
    }
    const size_t countAt = optional + (magic == kPe32Magic ? 92 : 108);
    const size_t directories = countAt + 4;
    if (countAt + 4 > optional + optionalSize) {
        *error = "PE optional header cut short";
        return false;
    }
    const uint32_t directoryCount = Read32(image, countAt);
    if (directoryCount > (optional + optionalSize - directories) / 8) {
        *error = "PE data directories cut short";
        return false;
    }
    headers->initializedDataAt = optional + 8;
    headers->sectionAlignment = Read32(image, optional + 32);
    headers->fileAlignment = Read32(image, optional + 36);
    headers->sizeOfImageAt = optional + 56;
    headers->sizeOfImage = Read32(image, optional + 56);
    headers->sizeOfHeaders = Read32(image, optional + 60);
    headers->checksumAt = optional + 64;
    auto powerOfTwo = [](uint32_t n) { return n != 0 && (n & (n - 1)) == 0; };
    if (!powerOfTwo(headers->sectionAlignment) || !powerOfTwo(headers->fileAlignment)) {
        *error = "PE alignments not powers of two";
        return false;
    }
    if (directoryCount > kResourceDirectory) {
        headers->resourceSizeAt = directories + 8 * kResourceDirectory + 4;
        headers->resourceRva = Read32(image, headers->resourceSizeAt - 4);
        headers->resourceSize = Read32(image, headers->resourceSizeAt);
    }
    if (directoryCount > kCertificateDirectory) {
        headers->certificateAt = Read32(image, directories + 8 * kCertificateDirectory);
        headers->certificateSize = Read32(image, directories + 8 * kCertificateDirectory + 4);
    }

    const size_t table = optional + optionalSize;
    if (!Has(image, table, size_t{sectionCount} * kSectionHeaderSize)) {
        *error = "PE section table cut short";
        return false;
    }
    headers->headersEnd = table + size_t{sectionCount} * kSectionHeaderSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t at = table + i * kSectionHeaderSize;
        PeSection s{at, Read32(image, at + 12), Read32(image, at + 8), Read32(image, at + 16), Read32(image, at + 20)};
        if (!Has(image, s.fileAt, s.rawSize)) {
            *error = "a section's file bytes lie beyond the end of the file";
            return false;
        }
        headers->sections.push_back(s);
    }
    return true;
}

bool ReadResourceTree(const Bytes& image, const PeHeaders& headers, ResourceTree* tree, std::string* error)
{
    *tree = ResourceTree{};
    if (headers.resourceRva == 0) {
        *error = "no resources";
        return false;
    }
    for (const PeSection& s : headers.sections) {
        size_t ignored;
        if (FileOffset(s, headers.resourceRva, kTableHeaderSize, &ignored))
            tree->section = &s;
    }
    if (!tree->section) {
        *error = "resource directory outside every section";
        return false;
    }
    TreeWalk walk{image, *tree->section, headers.resourceRva, tree, error};
    return walk.Table(0, 0, 0, 0);
}

}  // namespace vorn
