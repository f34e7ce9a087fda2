// The installer writer on the real stub (the i686 tree's vornstub.exe) and the
// demo package: what moves and what stays, the image's sizes and checksum,
// the CRC in both places, and stubs spoilt in every way the writer refuses.
// (tests/packer/installer_pe_check.py reads the made installers with an
// independent PE reader.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "package/crc32.h"
#include "packer/pe/installer_image.h"
#include "packer/package_writer.h"
#include "packer/pe/pe_image.h"
#include "packer/pe/stub_location.h"
#include "tests/support/package_members.h"

namespace vorn {
namespace {

Bytes ReadBytes(const char* path)
{
    Bytes bytes;
    FILE* f = fopen(path, "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = getc(f)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    fclose(f);
    return bytes;
}

const Bytes& Stub()
{
    static const Bytes stub = ReadBytes(VORN_TEST_STUB);
    return stub;
}

const Bytes& DemoPackage()
{
    static const Bytes package = ReadBytes(VORN_TEST_PACKAGE);
    return package;
}

// The CRC the installer's scan computes over the package's member bytes.
uint32_t MemberCrc(const Bytes& package)
{
    Bytes hashed;
    for (const Bytes& member : test::SplitMembers(package))
        hashed.insert(hashed.end(), member.begin(), member.end());
    return Crc32(hashed.data(), hashed.size());
}

struct Image {
    PeHeaders pe;
    ResourceTree tree;
};

bool Read(const Bytes& bytes, Image* image)
{
    std::string error;
    return ReadPeHeaders(bytes, &image->pe, &error) && ReadResourceTree(bytes, image->pe, &image->tree, &error);
}

// A resource's bytes by type and name; empty when it is missing.
Bytes ResourceBytes(const Bytes& bytes, const Image& image, uint32_t type, uint32_t name)
{
    for (const ResourceData& d : image.tree.data) {
        size_t at;
        if (d.type == type && d.name == name && FileOffset(*image.tree.section, d.rva, d.size, &at))
            return Bytes(bytes.begin() + static_cast<ptrdiff_t>(at), bytes.begin() + static_cast<ptrdiff_t>(at + d.size));
    }
    return {};
}

uint32_t RoundUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

class InstallerImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(Stub().size(), 1000u) << VORN_TEST_STUB;
        ASSERT_GT(DemoPackage().size(), 1000u) << VORN_TEST_PACKAGE;
        ASSERT_TRUE(Read(Stub(), &stub));
    }
    Image stub;
};

TEST_F(InstallerImage, TheStubIsOne)
{
    StubLayout layout;
    std::string error;
    ASSERT_TRUE(ReadStub(Stub(), &layout, &error)) << error;
    uint32_t crc = 1;
    ASSERT_TRUE(ReadCrcSlot(Stub(), &crc));
    EXPECT_EQ(crc, 0u) << "the stub's CRC slot holds 0";
    EXPECT_TRUE(ResourceBytes(Stub(), stub, kRawDataType, kPackageSlotId).empty());
    EXPECT_EQ(test::MarkerOffsets(Stub()).size(), 0u) << "the stub holds no marker anywhere";
}

// Packages of every size modulo the data alignment, the demo package last:
// each resource of the stub is in the installer with the same bytes (the
// version information differs in its eight digits only), the package lies in
// slot 4 and the scan finds it, the CRC is in slot 5, and the section, the
// directory and the image have grown by whole alignment units.
TEST_F(InstallerImage, PackageInCrcInEverythingElseKept)
{
    std::vector<Bytes> packages;
    for (size_t size = 1; size <= 9; ++size)
        packages.push_back(test::JoinPackage({Bytes(size, 'x')}));
    packages.push_back(DemoPackage());
    for (const Bytes& package : packages) {
        SCOPED_TRACE("package of " + std::to_string(package.size()) + " bytes");
        const uint32_t crc = MemberCrc(package);
        Bytes installer;
        std::string error;
        ASSERT_TRUE(MakeInstaller(Stub(), package, crc, &installer, &error)) << error;
        Image made;
        ASSERT_TRUE(Read(installer, &made));
        ASSERT_EQ(made.tree.data.size(), stub.tree.data.size());

        EXPECT_EQ(ResourceBytes(installer, made, kRawDataType, kPackageSlotId), package);
        ASSERT_FALSE(test::MarkerOffsets(installer).empty());
        const size_t firstMarker = test::MarkerOffsets(installer)[0];
        EXPECT_EQ(Bytes(installer.begin() + static_cast<ptrdiff_t>(firstMarker),
                        installer.begin() + static_cast<ptrdiff_t>(firstMarker + package.size())),
                  package)
            << "the scan's first marker opens the package";
        uint32_t slot = 0;
        ASSERT_TRUE(ReadCrcSlot(installer, &slot));
        EXPECT_EQ(slot, crc);

        for (const ResourceData& d : stub.tree.data) {
            if (d.type == kRawDataType && (d.name == kPackageSlotId || d.name == kCrcSlotId))
                continue;
            Bytes before = ResourceBytes(Stub(), stub, d.type, d.name);
            Bytes after = ResourceBytes(installer, made, d.type, d.name);
            if (d.type == kVersionType) {
                char digits[9];
                snprintf(digits, sizeof digits, "%08X", crc);
                std::string text;
                for (uint8_t b : after)
                    text += b ? static_cast<char>(b) : '.';  // UTF-16 of ASCII, seen as bytes
                std::string wanted;
                for (char c : std::string("PackageCRC32") + '\0')
                    wanted += std::string(1, c ? c : '.') + '.';
                EXPECT_NE(text.find(wanted), std::string::npos);
                std::string placed;
                for (int i = 0; i < 8; ++i)
                    placed += std::string(1, digits[i]) + '.';
                EXPECT_NE(text.find(placed + ".."), std::string::npos) << "the CRC's digits in the version";
                ASSERT_EQ(before.size(), after.size());
                size_t differing = 0;
                for (size_t i = 0; i < before.size(); ++i)
                    differing += before[i] != after[i];
                EXPECT_LE(differing, 8u) << "only the eight digits change";
                continue;
            }
            EXPECT_EQ(after, before) << "resource type " << d.type << " name " << d.name;
        }

        const PeSection& was = *stub.tree.section;
        const PeSection& is = *made.tree.section;
        const uint32_t shift = RoundUp(static_cast<uint32_t>(package.size()), kResourceDataAlignment);
        EXPECT_EQ(is.virtualSize, was.virtualSize + shift);
        EXPECT_EQ(is.rawSize, RoundUp(is.virtualSize, made.pe.fileAlignment));
        EXPECT_EQ(installer.size(), is.fileAt + is.rawSize) << "the file ends with the section";
        EXPECT_EQ(made.pe.resourceSize, stub.pe.resourceSize + shift);
        EXPECT_EQ(Read32(installer, made.pe.sizeOfImageAt), RoundUp(is.rva + is.virtualSize, made.pe.sectionAlignment));
        EXPECT_EQ(Read32(installer, made.pe.initializedDataAt),
                  Read32(Stub(), stub.pe.initializedDataAt) + is.rawSize - was.rawSize);
        EXPECT_EQ(Read32(installer, made.pe.checksumAt), ImageChecksum(installer, made.pe.checksumAt));

        // Every byte ahead of the package is the stub's but for those sizes,
        // the checksum and the data entries' sizes and places: put the
        // stub's values back and compare.
        StubLayout layout;
        ASSERT_TRUE(ReadStub(Stub(), &layout, &error)) << error;
        const size_t packageAt = was.fileAt + (layout.packageRva - was.rva);
        Bytes ahead(installer.begin(), installer.begin() + static_cast<ptrdiff_t>(packageAt));
        for (size_t field : {made.pe.initializedDataAt, made.pe.sizeOfImageAt, made.pe.checksumAt,
                             made.pe.resourceSizeAt, is.headerAt + 8, is.headerAt + 16})
            Write32(ahead, field, Read32(Stub(), field));
        for (const ResourceData& d : stub.tree.data) {
            Write32(ahead, d.entryAt, d.rva);
            Write32(ahead, d.entryAt + 4, d.size);
        }
        EXPECT_TRUE(ahead == Bytes(Stub().begin(), Stub().begin() + static_cast<ptrdiff_t>(packageAt)))
            << "a byte ahead of the package changed that the writer has no business changing";
    }
}

// verify's reading of `bytes` written to the file `path`: whether it is sound.
bool CheckAsFile(const char* path, const Bytes& bytes, CheckedPackage* checked, std::string* error)
{
    FILE* f = fopen(path, "wb");
    EXPECT_NE(f, nullptr) << path;
    if (!f)
        return false;
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    EXPECT_EQ(fclose(f), 0);
    error->clear();
    return CheckPackageFile(path, checked, error);
}

// The packer's verify compares both CRCs an installer carries: the installer
// made with the package's CRC passes; with another CRC in its slot alone, or
// in its version information alone, it is refused, saying which.
TEST_F(InstallerImage, VerifyComparesBothCarriedCrcs)
{
    const uint32_t crc = MemberCrc(DemoPackage());
    Bytes installer;
    std::string error;
    ASSERT_TRUE(MakeInstaller(Stub(), DemoPackage(), crc, &installer, &error)) << error;
    Image made;
    ASSERT_TRUE(Read(installer, &made));
    size_t slotAt = 0;
    for (const ResourceData& d : made.tree.data) {
        if (d.type == kRawDataType && d.name == kCrcSlotId) {
            ASSERT_TRUE(FileOffset(*made.tree.section, d.rva, d.size, &slotAt));
        }
    }
    char digits[9];
    snprintf(digits, sizeof digits, "%08X", crc);
    const Bytes text = {static_cast<uint8_t>(digits[0]), 0, static_cast<uint8_t>(digits[1]), 0,
                        static_cast<uint8_t>(digits[2]), 0, static_cast<uint8_t>(digits[3]), 0};
    const size_t textAt = static_cast<size_t>(
        std::search(installer.begin() + static_cast<ptrdiff_t>(slotAt), installer.end(), text.begin(), text.end()) -
        installer.begin());
    ASSERT_GT(slotAt, 0u);
    ASSERT_LT(textAt, installer.size());

    char path[] = "/tmp/vorn-installer-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const struct {
        const char* name;
        size_t at;        // the byte changed, or 0 for none
        const char* fault;  // in the refusal, or null for a pass
    } cases[] = {
        {"as made", 0, nullptr},
        {"another CRC in the slot", slotAt, "in the installer's CRC slot"},
        {"another CRC in the version information", textAt, "the installer carries"},
    };
    for (const auto& c : cases) {
        Bytes copy = installer;
        if (c.at)
            copy[c.at] ^= 0x01;
        CheckedPackage checked;
        const bool sound = CheckAsFile(path, copy, &checked, &error);
        EXPECT_EQ(sound, c.fault == nullptr) << c.name << ": " << error;
        if (c.fault) {
            EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        } else {
            EXPECT_TRUE(checked.carriesCrc && checked.carriesCrcSlot && checked.slotCrc == crc) << c.name;
        }
    }
    unlink(path);
}

TEST(ImageChecksum, SumsWordsWithCarryAndAddsTheLength)
{
    const struct {
        const char* name;
        Bytes bytes;
        size_t checksumAt;
        uint32_t sum;
    } cases[] = {
        {"two words", {0x01, 0x02, 0x03, 0x04}, 100, 0x0604 + 4},
        {"an odd byte counts as a low byte", {0x01, 0x02, 0x03}, 100, 0x0204 + 3},
        {"the carry goes round", {0xFF, 0xFF, 0x02, 0x00}, 100, 0x0002 + 4},
        {"the checksum field counts as zero", {0x01, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x02, 0x00}, 2, 0x0003 + 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageChecksum(c.bytes, c.checksumAt), c.sum) << c.name;
}

// The resource directory's first byte in the file.
size_t DirectoryAt(const Bytes& bytes)
{
    Image image;
    size_t root = 0;
    if (Read(bytes, &image))
        FileOffset(*image.tree.section, image.pe.resourceRva, 16, &root);
    return root;
}

// A table's entry count: its named and its numbered entries.
uint32_t EntryCount(const Bytes& bytes, size_t table)
{
    return (Read32(bytes, table + 12) >> 16) + (Read32(bytes, table + 12) & 0xFFFF);
}

// The directory entry (in the raw-data type's name table) that leads to the
// raw-data resource of this name.
size_t NameEntryAt(const Bytes& bytes, uint32_t name)
{
    const size_t root = DirectoryAt(bytes);
    const uint32_t types = EntryCount(bytes, root);
    for (uint32_t i = 0; i < types; ++i) {
        const size_t entry = root + 16 + 8 * i;
        if (Read32(bytes, entry) != kRawDataType)
            continue;
        const size_t table = root + (Read32(bytes, entry + 4) & 0x7FFFFFFF);
        const uint32_t names = EntryCount(bytes, table);
        for (uint32_t k = 0; k < names; ++k)
            if (Read32(bytes, table + 16 + 8 * k) == name)
                return table + 16 + 8 * k;
    }
    return 0;
}

// The language entry's target (the data entry's offset in the directory) of
// the raw-data resource of this name.
size_t DataEntryLinkAt(const Bytes& bytes, uint32_t name)
{
    const size_t languages = DirectoryAt(bytes) + (Read32(bytes, NameEntryAt(bytes, name) + 4) & 0x7FFFFFFF);
    return languages + 16 + 4;
}

const ResourceData* Find(const Image& image, uint32_t type, uint32_t name)
{
    for (const ResourceData& d : image.tree.data)
        if (d.type == type && d.name == name)
            return &d;
    return nullptr;
}

// The raw-data resource from leads to the data entry of the raw-data resource to.
void ShareDataEntry(Bytes& b, uint32_t from, uint32_t to)
{
    Image image;
    Read(b, &image);
    Write32(b, DataEntryLinkAt(b, from), static_cast<uint32_t>(Find(image, kRawDataType, to)->entryAt - DirectoryAt(b)));
}

// The headers copied behind the resource section's VirtualSize (the section
// grown by one alignment unit to hold them) and the DOS header pointed there;
// with sizeOfHeaders, SizeOfHeaders set to cover them.
void HeadersInTheResourceSection(Bytes& b, bool sizeOfHeaders)
{
    Image image;
    Read(b, &image);
    const PeSection& rsrc = *image.tree.section;
    const size_t pe = Read32(b, 0x3C);
    const size_t to = rsrc.fileAt + RoundUp(rsrc.virtualSize, 8);
    b.resize(b.size() + image.pe.fileAlignment, 0);
    std::copy(b.begin() + static_cast<ptrdiff_t>(pe), b.begin() + static_cast<ptrdiff_t>(image.pe.headersEnd),
              b.begin() + static_cast<ptrdiff_t>(to));
    Write32(b, 0x3C, static_cast<uint32_t>(to));
    const size_t moved = to - pe;
    Write32(b, rsrc.headerAt + moved + 16, rsrc.rawSize + image.pe.fileAlignment);
    if (sizeOfHeaders)
        Write32(b, image.pe.sizeOfImageAt + 4 + moved, static_cast<uint32_t>(b.size()));
}

TEST_F(InstallerImage, SpoiltStubsAreRefusedWithTheReason)
{
    StubLayout layout;
    std::string error;
    ASSERT_TRUE(ReadStub(Stub(), &layout, &error)) << error;
    const size_t packageAt = layout.sectionFileAt + (layout.packageRva - layout.sectionRva);
    Bytes made;
    ASSERT_TRUE(MakeInstaller(Stub(), DemoPackage(), MemberCrc(DemoPackage()), &made, &error)) << error;
    const size_t versionKey = [] {
        const char key[] = {'P', 0, 'a', 0, 'c', 0, 'k', 0, 'a', 0, 'g', 0, 'e', 0, 'C', 0, 'R', 0, 'C', 0};
        const Bytes& s = Stub();
        return static_cast<size_t>(std::search(s.begin(), s.end(), key, key + sizeof key) - s.begin());
    }();
    ASSERT_LT(versionKey, Stub().size());
    const size_t dosMessage = static_cast<size_t>(
        std::search(Stub().begin(), Stub().end(), "This", "This" + 4) - Stub().begin());
    ASSERT_LT(dosMessage, 0x100u);

    const struct {
        const char* name;
        std::function<void(Bytes&)> spoil;
        const char* reason;
    } cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, "no MZ header"},
        {"a text file", [](Bytes& b) { b = Bytes(200, 'x'); }, "no MZ header"},
        {"no PE signature", [](Bytes& b) { b[Read32(b, 0x3C)] = 'X'; }, "no PE header"},
        {"PE header beyond the end", [](Bytes& b) { Write32(b, 0x3C, 0x7FFFFFF0); }, "no PE header"},
        // The certificate table is data directory 4; the resource directory's size is 2's second word.
        {"signed", [&](Bytes& b) { Write32(b, layout.resourceSizeAt + 2 * 8, 0x600); }, "signed"},
        {"bytes appended", [](Bytes& b) { b.insert(b.end(), 512, 0); }, "bytes behind its last section"},
        {"already carries a package", [&](Bytes& b) { b = made; }, "already carries a package"},
        {"no package slot", [](Bytes& b) { Write32(b, NameEntryAt(b, kPackageSlotId), 6); }, "no package slot"},
        {"no CRC slot", [](Bytes& b) { Write32(b, NameEntryAt(b, kCrcSlotId), 7); }, "no CRC slot"},
        {"a CRC slot of three bytes",
         [](Bytes& b) {
             Image image;
             Read(b, &image);
             for (const ResourceData& d : image.tree.data)
                 if (d.type == kRawDataType && d.name == kCrcSlotId)
                     Write32(b, d.entryAt + 4, 3);
         },
         "no CRC slot"},
        {"no PackageCRC32 in the version", [&](Bytes& b) { b[versionKey] = 'Q'; }, "carries no PackageCRC32"},
        {"the marker ahead of the slot",
         [&](Bytes& b) { std::memcpy(&b[dosMessage], "ARNI", 4); }, "the package marker at byte"},
        {"part of a marker pending at the slot", [&](Bytes& b) { b[packageAt - 1] = 'A'; }, "pending"},
        {"a section behind the resources",
         [](Bytes& b) {
             Image image;
             Read(b, &image);
             Write32(b, image.pe.sections[0].headerAt + 12, 0x7FFF0000);
         },
         "not the last section"},
        {"numbered resources out of order",
         [](Bytes& b) {
             const size_t types = DirectoryAt(b) + 16;
             const uint32_t first = Read32(b, types), target = Read32(b, types + 4);
             Write32(b, types, Read32(b, types + 8));
             Write32(b, types + 4, Read32(b, types + 12));
             Write32(b, types + 8, first);
             Write32(b, types + 12, target);
         },
         "numbered entries are not in ascending order"},
        {"a numbered resource counted as named",
         [](Bytes& b) { Write32(b, NameEntryAt(b, kCrcSlotId) - 16 - 8 * 2 + 12, 0x00020001); },
         "named and numbered entries are not where its counts say"},
        {"a resource table that leads to itself",
         [](Bytes& b) { Write32(b, DirectoryAt(b) + 16 + 4, 0x80000000); }, "three levels"},
        {"cut inside the resource section", [](Bytes& b) { b.resize(b.size() - 100); }, "beyond the end of the file"},
        // What a loader and the writer rely on.
        {"the PE headers behind the resource section's VirtualSize",
         [](Bytes& b) { HeadersInTheResourceSection(b, false); }, "the PE headers run past SizeOfHeaders"},
        {"SizeOfHeaders reaching into the sections",
         [](Bytes& b) { HeadersInTheResourceSection(b, true); }, "the PE headers reach into a section"},
        {"a FileAlignment of 256 MiB",
         [&](Bytes& b) { Write32(b, layout.sizeOfImageAt - 20, 0x10000000); }, "FileAlignment 0x10000000"},
        {"a FileAlignment of 256", [&](Bytes& b) { Write32(b, layout.sizeOfImageAt - 20, 256); }, "FileAlignment 0x100"},
        {"a FileAlignment above SectionAlignment",
         [&](Bytes& b) { Write32(b, layout.sizeOfImageAt - 20, 0x2000); }, "SectionAlignment 0x1000"},
        {"a section off its file alignment",
         [](Bytes& b) {
             Image image;
             Read(b, &image);
             Write32(b, image.pe.sections[0].headerAt + 20, image.pe.sections[0].fileAt + 8);
         },
         "not aligned to FileAlignment"},
        {"raw-data 3 and 5 sharing slot 5's data entry", [](Bytes& b) { ShareDataEntry(b, 3, kCrcSlotId); },
         "shared by two resources"},
        {"raw-data 3 and 4 sharing slot 4's data entry", [](Bytes& b) { ShareDataEntry(b, 3, kPackageSlotId); },
         "shared by two resources"},
        {"the CRC slot inside the PackageCRC32 digits",
         [&](Bytes& b) {
             Image image;
             Read(b, &image);
             Write32(b, Find(image, kRawDataType, kCrcSlotId)->entryAt, layout.crcTextRva);
         },
         "two resources' data overlap"},
    };
    for (const auto& c : cases) {
        Bytes spoilt = Stub();
        c.spoil(spoilt);
        Bytes installer;
        error.clear();
        EXPECT_FALSE(MakeInstaller(spoilt, DemoPackage(), 1, &installer, &error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": one line";
    }
}

// A stub whose resource section's name ends in "ARN", and whose VirtualSize
// grows to a value that starts with "I": the writer's own fix-up spells the
// marker in the section table, ahead of the package. Its check of the result
// refuses what it made.
TEST_F(InstallerImage, AWriterFaultIsARefusalNotAnInstaller)
{
    Bytes spoilt = Stub();
    const PeSection& rsrc = *stub.tree.section;
    std::memcpy(&spoilt[rsrc.headerAt + 5], "ARN", 3);
    // VirtualSize one past a multiple of 8 (the directory with it), so that a
    // package of 129 to 136 bytes brings its low byte to 'I'.
    const uint32_t virtualSize = RoundUp(rsrc.virtualSize, 8) + 1;
    Write32(spoilt, rsrc.headerAt + 8, virtualSize);
    Write32(spoilt, stub.pe.resourceSizeAt, Read32(spoilt, stub.pe.resourceSizeAt) + (virtualSize - rsrc.virtualSize));
    const uint32_t shift = (0x49 - virtualSize) & 0xFF;
    const Bytes package = test::JoinPackage({Bytes(shift - 14, 'x')});
    ASSERT_EQ(RoundUp(static_cast<uint32_t>(package.size()), 8), shift);
    StubLayout layout;
    std::string error;
    ASSERT_TRUE(ReadStub(spoilt, &layout, &error)) << error;
    Bytes installer = {1};
    EXPECT_FALSE(MakeInstaller(spoilt, package, MemberCrc(package), &installer, &error));
    EXPECT_NE(error.find("would not be sound: the installer's scan does not find the package"), std::string::npos)
        << error;
    EXPECT_TRUE(installer.empty()) << "nothing given back";
}

// The stub's application manifest (type 24, identifier 1) lies behind the CRC
// slot, so the writer moves it with the rest; it reaches the installer whole.
TEST_F(InstallerImage, TheManifestBehindTheSlotMovesWithTheRest)
{
    constexpr uint32_t kManifestType = 24;
    const ResourceData* manifest = Find(stub, kManifestType, 1);
    ASSERT_TRUE(manifest) << "the stub carries no manifest";
    EXPECT_GT(manifest->rva, Find(stub, kRawDataType, kCrcSlotId)->rva) << "the manifest does not lie behind the CRC slot";
    Bytes installer;
    std::string error;
    ASSERT_TRUE(MakeInstaller(Stub(), DemoPackage(), MemberCrc(DemoPackage()), &installer, &error)) << error;
    Image made;
    ASSERT_TRUE(Read(installer, &made));
    const ResourceData* moved = Find(made, kManifestType, 1);
    ASSERT_TRUE(moved);
    EXPECT_GT(moved->rva, manifest->rva) << "the manifest did not move behind the package";
    EXPECT_EQ(ResourceBytes(installer, made, kManifestType, 1), ResourceBytes(Stub(), stub, kManifestType, 1));
}

// verify reads the CRC slot as the installer finds it (raw-data resource 5
// through the resource tree: one, four bytes, inside the image) and the CRC
// text inside the version resource: an installer whose slot the installer
// cannot use is refused, a stray PackageCRC32 elsewhere is no CRC of its.
TEST_F(InstallerImage, VerifyReadsWhatTheInstallerReads)
{
    const uint32_t crc = MemberCrc(DemoPackage());
    char path[] = "/tmp/vorn-installer-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    auto slotEntry = [](Bytes& b) {
        Image image;
        Read(b, &image);
        return Find(image, kRawDataType, kCrcSlotId)->entryAt;
    };
    // The CRC text, key and value, in UTF-16 with their zeros.
    Bytes stray;
    for (char c : std::string("PackageCRC32") + '\0' + '\0' + "00000000" + '\0')
        stray.insert(stray.end(), {static_cast<uint8_t>(c), 0});
    const struct {
        const char* name;
        std::function<void(Bytes&)> spoilStub, spoilInstaller;
        const char* fault;  // null: sound
    } cases[] = {
        {"a stray PackageCRC32 between the CRC slot and the version information",
         [&](Bytes& b) {
             Image image;
             Read(b, &image);
             size_t at;
             ASSERT_TRUE(FileOffset(*image.tree.section, Find(image, 14, 1)->rva, 1, &at));
             std::copy(stray.begin(), stray.end(), b.begin() + static_cast<ptrdiff_t>(at));
         },
         [](Bytes&) {}, nullptr},
        {"a CRC slot of eight bytes", [](Bytes&) {}, [&](Bytes& b) { Write32(b, slotEntry(b) + 4, 8); },
         "raw-data resource 5 of 8 bytes, not four"},
        {"no CRC slot", [](Bytes&) {}, [](Bytes& b) { Write32(b, NameEntryAt(b, kCrcSlotId), 7); },
         "no CRC slot (raw-data resource 5)"},
        {"two CRC slots", [](Bytes&) {}, [](Bytes& b) { Write32(b, NameEntryAt(b, 3), kCrcSlotId); },
         "given more than once"},
        {"a CRC slot beyond the image", [](Bytes&) {}, [&](Bytes& b) { Write32(b, slotEntry(b), 0x7FFFFFF0); },
         "no CRC slot the installer can use"},
    };
    for (const auto& c : cases) {
        Bytes stub = Stub(), installer;
        c.spoilStub(stub);
        std::string error;
        ASSERT_TRUE(MakeInstaller(stub, DemoPackage(), crc, &installer, &error)) << c.name << ": " << error;
        c.spoilInstaller(installer);
        CheckedPackage checked;
        const bool sound = CheckAsFile(path, installer, &checked, &error);
        EXPECT_EQ(sound, c.fault == nullptr) << c.name << ": " << error;
        if (c.fault) {
            EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
            EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": one line";
        }
    }
    unlink(path);
}

// Every cut of the stub is refused, without reading past the end.
TEST_F(InstallerImage, EveryCutStubIsRefused)
{
    for (size_t size = 0; size < Stub().size(); ++size) {
        Bytes cut(Stub().begin(), Stub().begin() + static_cast<ptrdiff_t>(size));
        StubLayout layout;
        std::string error;
        ASSERT_FALSE(ReadStub(cut, &layout, &error)) << "cut at " << size;
    }
}

TEST(StubLocation, BesideThePackerThenTheInstalledPlace)
{
    const struct {
        std::string executable;
        std::vector<std::string> places;
    } cases[] = {
        {"/build/packer/vornpack", {"/build/packer/vornstub.exe", "/build/packer/../share/vorn/vornstub.exe"}},
        {"C:\\Vorn\\bin\\vornpack.exe",
         {"C:\\Vorn\\bin\\vornstub.exe", "C:\\Vorn\\bin\\..\\share\\vorn\\vornstub.exe"}},
        {"vornpack", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultStubPaths(c.executable), c.places) << c.executable;
    EXPECT_EQ(OwnExecutablePath().substr(OwnExecutablePath().find_last_of('/') + 1), "packer_tests");
}

}  // namespace
}  // namespace vorn
