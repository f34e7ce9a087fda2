// The installer read back: headers, package and both CRCs.
#include "packer/pe/installer_check.h"

#include <algorithm>

#include "packer/package_reader.h"
#include "packer/pe/carried_crc.h"
#include "packer/pe/image_rules.h"
#include "packer/pe/installer_image.h"
#include "packer/pe/pe_image.h"

namespace vorn {

bool CheckInstaller(const Bytes& installer, const Bytes& package, uint32_t crc, std::string* error)
{
    PeHeaders pe;
    ResourceTree tree;
    if (!ReadPeHeaders(installer, &pe, error) || !CheckImageRules(pe, error) ||
        !ReadResourceTree(installer, pe, &tree, error) || !CheckResourceRules(tree, error))
        return false;
    const PeSection& rsrc = *tree.section;
    for (const PeSection& s : pe.sections)
        if (&s != &rsrc && s.rva >= rsrc.rva)
            return Refuse(error, "the resource section is not the last in memory");
    if (installer.size() != rsrc.fileAt + rsrc.rawSize)
        return Refuse(error, "the file does not end with the resource section");
    if (pe.sizeOfImage != RoundUp(uint64_t{rsrc.rva} + rsrc.virtualSize, pe.sectionAlignment) ||
        rsrc.rawSize != RoundUp(rsrc.virtualSize, pe.fileAlignment) ||
        uint64_t{pe.resourceRva} + pe.resourceSize != uint64_t{rsrc.rva} + rsrc.virtualSize)
        return Refuse(error, "the image, section or resource directory sizes do not match the resources");
    if (Read32(installer, pe.checksumAt) != ImageChecksum(installer, pe.checksumAt))
        return Refuse(error, "the checksum does not match the bytes");

    bool several;
    const ResourceData* slot = FindOnly(tree, kRawDataType, kPackageSlotId, &several);
    size_t packageAt;
    if (!slot || slot->size != package.size() || !FileOffset(rsrc, slot->rva, slot->size, &packageAt) ||
        !std::equal(package.begin(), package.end(), installer.begin() + static_cast<ptrdiff_t>(packageAt)))
        return Refuse(error, "the package slot does not hold the package");
    const PackageSplit alone = SplitPackage(package), found = SplitPackage(installer);
    if (!alone.closed || alone.start != 0)
        return Refuse(error, "the package does not open with a marker and end with the closing pair");
    if (found.start != packageAt || !found.closed || found.end != packageAt + alone.end ||
        found.members != alone.members)
        return Refuse(error, "the installer's scan does not find the package where its slot lies");
    if (crc != alone.crc)
        return Refuse(error, "the CRC given is not the package's");

    CarriedCrc carried;
    if (ReadCarriedCrc(installer, &carried, error) != CarriedCrcRead::Found)
        return false;
    if (carried.slot != crc)
        return Refuse(error, "the CRC slot does not hold the package's CRC");
    if (!carried.hasText || carried.text != crc)
        return Refuse(error, "the version information's PackageCRC32 is not the package's CRC");
    return true;
}

}  // namespace vorn
