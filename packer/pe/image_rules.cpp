// The loader's and the writer's rules for an image, checked on what
// ReadPeHeaders and ReadResourceTree found.
#include "packer/pe/image_rules.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vorn {
namespace {

// The smallest and largest FileAlignment a loader takes; a larger one would
// also blow a small stub up to the alignment's size.
constexpr uint32_t kLeastFileAlignment = 512;
constexpr uint32_t kMostFileAlignment = 65536;
constexpr uint32_t kDataEntrySize = 16;

bool PowerOfTwo(uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

std::string Hex(uint32_t value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%X", value);
    return text;
}

}  // namespace

bool CheckImageRules(const PeHeaders& pe, std::string* error)
{
    const uint32_t file = pe.fileAlignment, memory = pe.sectionAlignment;
    if (!PowerOfTwo(file) || file < kLeastFileAlignment || file > kMostFileAlignment)
        return Refuse(error, "FileAlignment " + Hex(file) + " is not a power of two from 512 to 65536");
    if (!PowerOfTwo(memory) || memory < file)
        return Refuse(error, "SectionAlignment " + Hex(memory) + " is not a power of two of at least FileAlignment");
    if (pe.headersEnd > pe.sizeOfHeaders)
        return Refuse(error, "the PE headers run past SizeOfHeaders");
    uint64_t memoryEnd = 0;
    for (const PeSection& s : pe.sections) {
        if (s.rawSize != 0 && s.fileAt < pe.sizeOfHeaders)
            return Refuse(error, "the PE headers reach into a section's file bytes");
        if (s.rawSize != 0 && (s.fileAt % file != 0 || s.rawSize % file != 0))
            return Refuse(error, "a section's file bytes are not aligned to FileAlignment");
        if (s.rva % memory != 0)
            return Refuse(error, "a section is not aligned to SectionAlignment in memory");
        if (s.rva < memoryEnd || s.rva < pe.sizeOfHeaders)
            return Refuse(error, "the sections do not follow the headers and one another in memory");
        memoryEnd = uint64_t{s.rva} + std::max(s.virtualSize, s.rawSize);
    }
    if (memoryEnd > pe.sizeOfImage)
        return Refuse(error, "a section reaches past SizeOfImage");
    return true;
}

bool CheckResourceRules(const ResourceTree& tree, std::string* error)
{
    if (!tree.searchFault.empty())
        return Refuse(error, tree.searchFault);
    std::vector<size_t> entries;
    std::vector<const ResourceData*> data;
    for (const ResourceData& d : tree.data) {
        entries.push_back(d.entryAt);
        if (d.size != 0)
            data.push_back(&d);
    }
    std::sort(entries.begin(), entries.end());
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i] == entries[i - 1])
            return Refuse(error, "a resource data entry is shared by two resources");
        if (entries[i] - entries[i - 1] < kDataEntrySize)
            return Refuse(error, "two resource data entries overlap");
    }
    std::sort(data.begin(), data.end(), [](const ResourceData* a, const ResourceData* b) { return a->rva < b->rva; });
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i]->rva < tree.structureEnd)
            return Refuse(error, "a resource's data lies inside the resource directory");
        if (i > 0 && data[i]->rva < uint64_t{data[i - 1]->rva} + data[i - 1]->size)
            return Refuse(error, "two resources' data overlap");
    }
    return true;
}

}  // namespace vorn
