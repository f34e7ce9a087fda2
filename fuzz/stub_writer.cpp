// Fuzz target: the stub reader with the installer writer. Any bytes are
// taken as a stub and the harness package written into it. The writer may
// refuse; what it gives back must be an installer the stub reader refuses,
// whose CRC slot holds the CRC, whose checksum is right, whose package the
// installer's scan and the splitter find whole where slot 4 lies, whose other
// resources keep their bytes, no larger than the stub and the package need,
// and which verify calls sound.
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harness_package.h"
#include "packer/package_reader.h"
#include "packer/pe/installer_image.h"
#include "packer/pe/pe_image.h"
#include "tests/support/package_members.h"

namespace vorn {
namespace {

struct Image {
    PeHeaders pe;
    ResourceTree tree;
};

Bytes ResourceBytes(const Bytes& bytes, const Image& image, const ResourceData& d)
{
    size_t at;
    if (!FileOffset(*image.tree.section, d.rva, d.size, &at))
        return {};
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(at), bytes.begin() + static_cast<ptrdiff_t>(at + d.size));
}

bool IsSlot(const ResourceData& d)
{
    return d.type == kRawDataType && (d.name == kPackageSlotId || d.name == kCrcSlotId);
}

void CheckInstallerMadeFrom(const Bytes& stub, const Bytes& installer)
{
    const fuzz::HarnessPackage& package = fuzz::TheHarnessPackage();
    std::string error;
    StubLayout layout;
    FUZZ_CHECK(!ReadStub(installer, &layout, &error), "the stub reader takes the installer for a stub");
    FUZZ_CHECK(installer.size() <= stub.size() + package.bytes.size() + 2 * 65536, "the installer grew too much");

    Image was, is;
    FUZZ_CHECK(ReadPeHeaders(stub, &was.pe, &error) && ReadResourceTree(stub, was.pe, &was.tree, &error),
               "the accepted stub does not read");
    FUZZ_CHECK(ReadPeHeaders(installer, &is.pe, &error) && ReadResourceTree(installer, is.pe, &is.tree, &error),
               "the installer does not read");
    FUZZ_CHECK(Read32(installer, is.pe.checksumAt) == ImageChecksum(installer, is.pe.checksumAt), "checksum");
    uint32_t slot = 0;
    FUZZ_CHECK(ReadCrcSlot(installer, &slot) && slot == package.crc, "the CRC slot does not hold the CRC");

    // The scan and the splitter: the first marker opens slot 4's bytes, and
    // the members are the package's.
    FUZZ_CHECK(was.tree.data.size() == is.tree.data.size(), "resources lost or gained");
    size_t packageAt = 0;
    for (size_t i = 0; i < is.tree.data.size(); ++i) {
        const ResourceData& d = is.tree.data[i];
        if (d.type == kRawDataType && d.name == kPackageSlotId) {
            FUZZ_CHECK(ResourceBytes(installer, is, d) == package.bytes, "slot 4 does not hold the package");
            FUZZ_CHECK(FileOffset(*is.tree.section, d.rva, d.size, &packageAt), "slot 4 outside the file");
        } else if (!IsSlot(d) && d.type != kVersionType) {
            FUZZ_CHECK(ResourceBytes(installer, is, d) == ResourceBytes(stub, was, was.tree.data[i]),
                       "a resource's bytes changed");
        }
    }
    const std::vector<size_t> markers = test::MarkerOffsets(installer);
    FUZZ_CHECK(!markers.empty() && markers[0] == packageAt, "the scan's first marker is not the package's");
    std::vector<test::Bytes> members = test::SplitMembers(installer), wanted = test::SplitMembers(package.bytes);
    FUZZ_CHECK(members.size() >= wanted.size() && std::equal(wanted.begin(), wanted.end(), members.begin()),
               "the splitter does not find the package whole");
    const PackageSplit split = SplitPackage(installer);
    FUZZ_CHECK(split.closed && split.crc == package.crc, "the scan's CRC is not the package's");

    CheckedPackage checked;
    FUZZ_CHECK(CheckPackageBytes("installer", installer, &checked, &error), error.c_str());
}

}  // namespace
}  // namespace vorn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const vorn::Bytes stub(data, data + size);
    const vorn::fuzz::HarnessPackage& package = vorn::fuzz::TheHarnessPackage();
    vorn::Bytes installer;
    std::string error;
    vorn::StubLayout layout;
    const bool accepted = vorn::ReadStub(stub, &layout, &error);
    const bool made = vorn::MakeInstaller(stub, package.bytes, package.crc, &installer, &error);
    FUZZ_CHECK(accepted || !made, "an installer made from a refused stub");
    FUZZ_CHECK(error.find('\n') == std::string::npos, "a refusal of more than one line");
    FUZZ_CHECK(made || installer.empty(), "a refusal that gives bytes back");
    if (made)
        vorn::CheckInstallerMadeFrom(stub, installer);
    return 0;
}
