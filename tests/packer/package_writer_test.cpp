// Building packages from payload folders and checking files as the installer
// reads them: round trips, the matcher rules, and every refused input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/crc32.h"
#include "package/member_table.h"
#include "package/package_scan.h"
#include "packer/member_check.h"
#include "packer/package_reader.h"
#include "packer/member_encoder.h"
#include "packer/package_writer.h"
#include "packer/fs/file_reader.h"
#include "packer/pe/installer_image.h"
#include "packer/pe/pe_image.h"
#include "tests/support/package_members.h"

namespace vorn {
namespace {

std::string MakeTempDir()
{
    char pattern[] = "/tmp/vornpack-test-XXXXXX";
    return mkdtemp(pattern);
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

class PackageWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir();
        for (size_t i = 0; i < kMemberNames.size(); ++i) {
            std::string text = std::string("[") + kMemberNames[i] + "]\r\n";
            for (size_t k = 0; k < 50 * (i + 1); ++k)
                text += "line " + std::to_string(k) + " ARNI\r\n";
            WriteBytes(dir + "/" + kMemberNames[i], Of(text));
        }
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }

    std::string dir;
};

TEST_F(PackageWriter, BuildThenCheckRoundTripsEveryMember)
{
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    ASSERT_EQ(built.members.size(), 10u);
    std::string text(built.bytes.begin(), built.bytes.end());
    EXPECT_EQ(text.substr(0, 4), "ARNI");
    EXPECT_EQ(text.substr(text.size() - 10), "ARNIARNI\r\n");

    // Anything may stand ahead of the package as long as it holds no marker.
    Bytes file = Of("MZ header and code, no marker here; ");
    file.insert(file.end(), built.bytes.begin(), built.bytes.end());
    file.insert(file.end(), {'t', 'a', 'i', 'l'});
    WriteBytes(dir + "/installer.exe", file);

    CheckedPackage checked;
    ASSERT_TRUE(CheckPackageFile(dir + "/installer.exe", &checked, &error)) << error;
    EXPECT_EQ(checked.crc, built.crc);
    for (size_t i = 0; i < kMemberNames.size(); ++i) {
        FILE* f = fopen((dir + "/" + kMemberNames[i]).c_str(), "rb");
        Bytes original;
        for (int c; (c = getc(f)) != EOF;)
            original.push_back(static_cast<uint8_t>(c));
        fclose(f);
        EXPECT_TRUE(checked.contents[i] == original) << kMemberNames[i];
    }
}

TEST_F(PackageWriter, BuildRefusesMissingOrEmptyMembers)
{
    BuiltPackage built;
    std::string error;
    remove((dir + "/urls.ini").c_str());
    EXPECT_FALSE(BuildPackage(dir, &built, &error));
    EXPECT_NE(error.find("urls.ini: cannot open"), std::string::npos) << error;

    WriteBytes(dir + "/urls.ini", {});
    EXPECT_FALSE(BuildPackage(dir, &built, &error));
    EXPECT_NE(error.find("urls.ini: empty file"), std::string::npos) << error;
}

TEST_F(PackageWriter, BuildNamesAMemberThatIsAFolder)
{
    BuiltPackage built;
    std::string error;
    remove((dir + "/vorn.ini").c_str());
    ASSERT_EQ(mkdir((dir + "/vorn.ini").c_str(), 0777), 0);
    EXPECT_FALSE(BuildPackage(dir, &built, &error));
    EXPECT_EQ(error, dir + "/vorn.ini: is a folder, not a file");
}

// The one splitter against the installer's own readers: its CRC is the
// scan's, its members are the pump's, on the matcher's hard cases.
TEST(PackageSplit, AgreesWithTheScanAndThePump)
{
    struct Case {
        const char* name;
        std::string bytes;
        size_t members;
        bool closed;
    };
    const Case cases[] = {
        {"no marker", "MZ code", 0, false},
        {"only the closing pair", "ARNIARNI tail", 0, true},
        {"two members", "xx ARNI one ARNI two ARNIARNI\r\n", 2, true},
        {"partial matches are data", "ARNI AARNI ARARNI ARNARNI ARNIARNI", 1, true},
        {"a lone A hides the marker", "ARNI oneAARNI two ARNIARNI", 1, true},
        {"no closing pair", "ARNI one ARNI two", 2, false},
        {"a partial marker at the end", "ARNI one ARN", 1, false},
        {"bytes behind the closing pair", "ARNI one ARNIARNI ARNI more ARNI", 1, true},
    };
    for (const Case& c : cases) {
        Bytes bytes = Of(c.bytes);
        PackageSplit split = SplitPackage(bytes);
        EXPECT_EQ(split.members.size(), c.members) << c.name;
        EXPECT_EQ(split.closed, c.closed) << c.name;
        FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(split.crc, ScanPackageStream(f)) << c.name << ": not the installer's CRC";
        fclose(f);
        std::vector<test::Bytes> pump = test::SplitMembers(bytes.data(), bytes.size());
        EXPECT_EQ(split.members, pump) << c.name << ": not the pump's members";
    }
}

// One member stream with verify's checks, as unpack-member runs them.
TEST(MemberStreamCheck, RefusesWhatTheInstallerWouldDecodeWrongly)
{
    // Ends in a long match, which the decoder copies whole past a smaller
    // declared size.
    const Bytes text = Of("[text] line line line line line line line line");
    Bytes good;
    std::string error;
    ASSERT_TRUE(EncodeMember(text, &good, &error)) << error;
    const uint32_t shorter = static_cast<uint32_t>(text.size() - 2);
    auto withSize = [&good](uint32_t size) {
        Bytes s = good;
        for (int i = 0; i < 4; ++i)
            s[i] = static_cast<uint8_t>(size >> (8 * i));
        return s;
    };
    struct Case {
        const char* name;
        Bytes stream;
        MemberCheck result;
        std::string fault;
    };
    const Case cases[] = {
        {"sound", good, MemberCheck::Decoded, ""},
        {"cut inside the size", Of("AB"), MemberCheck::NotDecodable, "does not decode"},
        {"declares size 0", withSize(0), MemberCheck::NotDecodable, "does not decode"},
        {"declares 4 GiB", withSize(0xFFFFFFFF), MemberCheck::NotDecodable, "declares 4294967295 bytes, more than"},
        {"declares two bytes less", withSize(shorter), MemberCheck::NotDecodable,
         "decodes to " + std::to_string(text.size()) + " bytes, not its declared " + std::to_string(shorter)},
    };
    for (const Case& c : cases) {
        Bytes decoded;
        std::string fault;
        EXPECT_EQ(CheckMemberStream(c.stream, &decoded, &fault), c.result) << c.name << ": " << fault;
        EXPECT_NE(fault.find(c.fault), std::string::npos) << c.name << ": " << fault;
    }
}

TEST_F(PackageWriter, CheckRefusesBrokenFiles)
{
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    std::string package(built.bytes.begin(), built.bytes.end());
    std::string tenMarkers = package.substr(0, package.size() - 6);  // without the closing pair

    struct Case { const char* name; std::string file; const char* fault; };
    const Case cases[] = {
        {"no marker", "plain bytes", "no package"},
        {"only the closing pair", "ARNIARNI", "no package"},
        {"marker ahead of the package", "code ARNIxyz " + package, "11 members"},
        {"partial match pending ahead of it", "code A" + package, "9 members"},
        {"no closing pair", tenMarkers, "no closing double marker"},
        {"a member that declares size 0", std::string("ARNI\0\0\0\0", 8) + package.substr(8), "does not decode"},
        // Decoded, it would write 4 GiB of whatever the damaged bits say.
        {"a member that declares 4 GiB", "ARNI\xFF\xFF\xFF\xFF" + package.substr(8), "more than its stream can hold"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir + "/broken", Of(c.file));
        CheckedPackage checked;
        EXPECT_FALSE(CheckPackageFile(dir + "/broken", &checked, &error)) << c.name;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
    }
}

// An installer made from the test stub with the package and crc, the
// digits of its version information's PackageCRC32 then written over with
// digits (fewer than eight end the text early); with cutInsideValue the
// version resource's size ends four bytes into the value.
Bytes RealInstaller(const Bytes& package, uint32_t crc, const std::string& digits, bool cutInsideValue = false)
{
    Bytes stub, installer;
    std::string error;
    CarriedCrc carried;
    if (!ReadFileBytes(VORN_TEST_STUB, &stub, &error) || !MakeInstaller(stub, package, crc, &installer, &error) ||
        ReadCarriedCrc(installer, &carried, &error) != CarriedCrcRead::Found) {
        ADD_FAILURE() << "no installer from " << VORN_TEST_STUB << ": " << error;
        return {};
    }
    for (size_t i = 0; i < digits.size(); ++i)
        installer[carried.textAt + 2 * i] = static_cast<uint8_t>(digits[i]);
    if (digits.size() < kCrcTextDigits)
        installer[carried.textAt + 2 * digits.size()] = 0;
    PeHeaders pe;
    ResourceTree tree;
    if (cutInsideValue && ReadPeHeaders(installer, &pe, &error) && ReadResourceTree(installer, pe, &tree, &error)) {
        for (const ResourceData& d : tree.data) {
            size_t at;
            if (d.type == kVersionType && FileOffset(*tree.section, d.rva, d.size, &at))
                Write32(installer, d.entryAt + 4, static_cast<uint32_t>(carried.textAt + 4 - at));
        }
    }
    return installer;
}

std::string Hex(uint32_t crc)
{
    char text[16];
    snprintf(text, sizeof text, "%08X", crc);
    return text;
}

// The bytes from the first marker on.
Bytes FromPackage(const Bytes& bytes)
{
    const std::vector<size_t> markers = test::MarkerOffsets(bytes);
    return markers.empty() ? Bytes() : Bytes(bytes.begin() + static_cast<ptrdiff_t>(markers[0]), bytes.end());
}

TEST_F(PackageWriter, CheckComparesTheCrcAnInstallerCarriesAndTheExpectedOne)
{
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    const uint32_t right = built.crc, wrong = built.crc ^ 0x10;
    std::string lower = Hex(right);
    for (char& c : lower)
        c = static_cast<char>(tolower(c));

    struct Case {
        const char* name;
        Bytes file;
        const uint32_t* expected;
        bool carries;
        const char* fault;  // null: accepted
    };
    const Case cases[] = {
        {"bare package", built.bytes, nullptr, false, nullptr},
        {"bare package, expected CRC", built.bytes, &right, false, nullptr},
        {"bare package, another CRC", built.bytes, &wrong, false, "differs from the expected"},
        {"installer", RealInstaller(built.bytes, right, Hex(right)), nullptr, true, nullptr},
        {"installer, lower-case digits", RealInstaller(built.bytes, right, lower), &right, true, nullptr},
        {"installer carrying another CRC", RealInstaller(built.bytes, right, Hex(wrong)), nullptr, true,
         "the installer carries"},
        {"installer, another expected CRC", RealInstaller(built.bytes, right, Hex(right)), &wrong, true,
         "differs from the expected"},
        // Not eight hex digits: not the installer's string, so nothing is carried.
        {"seven digits", RealInstaller(built.bytes, right, Hex(wrong).substr(1)), nullptr, false, nullptr},
        {"a letter that is no digit", RealInstaller(built.bytes, right, "0E3CC3BG"), nullptr, false, nullptr},
        {"cut inside the value", RealInstaller(built.bytes, right, Hex(wrong), true), nullptr, false, nullptr},
        // No program: a bare package, whatever text follows it.
        {"an installer's bytes from its package on", FromPackage(RealInstaller(built.bytes, right, Hex(wrong))),
         nullptr, false, nullptr},
    };
    for (const Case& c : cases) {
        WriteBytes(dir + "/file", c.file);
        CheckedPackage checked;
        bool ok = CheckPackageFile(dir + "/file", &checked, &error, c.expected);
        EXPECT_EQ(checked.carriesCrc, c.carries) << c.name;
        if (!c.fault) {
            EXPECT_TRUE(ok) << c.name << ": " << error;
        } else {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        }
    }
}

// One bit changed anywhere in the package of an installer that carries its
// CRC is refused: inside a member the CRC finds it even where the member
// still decodes, on a marker the structure breaks.
TEST_F(PackageWriter, CheckRefusesEveryFlippedBitOfAnInstallersPackage)
{
    // Short members keep the package small enough to try every byte.
    for (const char* name : kMemberNames)
        WriteBytes(dir + "/" + name, Of(std::string("[") + name + "]\r\nkey=value value value\r\n"));
    BuiltPackage built;
    std::string error;
    ASSERT_TRUE(BuildPackage(dir, &built, &error)) << error;
    Bytes file = RealInstaller(built.bytes, built.crc, Hex(built.crc));
    ASSERT_FALSE(test::MarkerOffsets(file).empty());
    const size_t start = test::MarkerOffsets(file)[0];
    const size_t end = start + built.bytes.size() - 2;  // the CR LF behind the closing pair is read by nobody
    CheckedPackage checked;
    WriteBytes(dir + "/file", file);
    ASSERT_TRUE(CheckPackageFile(dir + "/file", &checked, &error)) << error;
    int accepted = 0;
    for (size_t p = start; p < end; ++p) {
        Bytes spoilt = file;
        spoilt[p] ^= static_cast<uint8_t>(1u << (p % 8));
        WriteBytes(dir + "/file", spoilt);
        if (CheckPackageFile(dir + "/file", &checked, &error)) {
            ADD_FAILURE() << "bit " << p % 8 << " of byte " << p << " flipped: accepted";
            if (++accepted == 5)
                break;
        }
    }
}

}  // namespace
}  // namespace vorn
