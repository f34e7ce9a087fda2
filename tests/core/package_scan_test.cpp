// CRC-32, the marker matcher and the package scan.
#include <gtest/gtest.h>

#include <string>

#include "package/crc32.h"
#include "package/marker.h"
#include "package/package_scan.h"
#include "tests/core/scratch_file.h"

namespace vorn {
namespace {

using test::Bytes;
using test::ScratchFile;
using test::ToBytes;

uint32_t CrcOf(const std::string& text)
{
    return Crc32(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(Crc32, StandardCheckValue)
{
    EXPECT_EQ(CrcOf("123456789"), 0xCBF43926u);
    EXPECT_EQ(CrcOf(""), 0u);
}

TEST(PackageMarker, ReadyFromStartUp)
{
    EXPECT_STREQ(PackageMarker, "ARNI");
}

// Feeds text through the matcher; data bytes are copied out, a marker shows as '|'.
std::string Split(const std::string& text)
{
    MarkerMatcher m;
    std::string out;
    for (char c : text) {
        int pending = 0;
        switch (FeedMatcher(m, static_cast<uint8_t>(c), &pending)) {
        case MatchStep::Pending: break;
        case MatchStep::Marker: out += '|'; break;
        case MatchStep::Data: out.append(PackageMarker, pending); out += c; break;
        }
    }
    return out;
}

TEST(MarkerMatcher, RecognisesOnlyMarkersStartedWithNothingPending)
{
    struct Case { const char* input; const char* split; };
    const Case cases[] = {
        {"ARNI", "|"},
        {"AARNI", "AARNI"},       // the second A breaks the match and is not retried
        {"ARARNI", "ARARNI"},
        {"ARNARNI", "ARNARNI"},
        {"AAARNI", "AA|"},        // AA then ARNI does end in a marker
        {"xARNIyARNIARNIz", "x|y||z"},
        {"ARN", ""},              // still pending at the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.input), c.split) << "input " << c.input;
}

uint32_t Scan(const Bytes& content)
{
    ScratchFile file("scan.bin", content);
    FILE* f = file.Open("rb");
    EXPECT_NE(f, nullptr);
    uint32_t crc = ScanPackageStream(f);
    fclose(f);
    return crc;
}

TEST(PackageScan, HashesExactlyTheMemberBytes)
{
    struct Case { const char* name; std::string file; std::string hashed; };
    const Case cases[] = {
        {"two members", "head ARNIabcARNIdefARNIARNI\r\ntail", "abcdef"},
        {"no closing pair: hashed to the end", "ARNIabcARNIdef", "abcdef"},
        {"pending partial at the end not hashed", "ARNIabcAR", "abc"},
        {"partial match inside a member is data", "ARNIaARNxARNIARNI", "aARNx"},
        {"a member ending in A hides the next marker", "ARNIxAARNIyzARNIARNI", "xAARNIyz"},
        {"bytes after the closing pair ignored", "ARNIabcARNIARNI ARNI more", "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scan(ToBytes(c.file)), CrcOf(c.hashed)) << c.name;
}

TEST(PackageScan, NothingHashedGivesZero)
{
    EXPECT_EQ(Scan(ToBytes("no marker in here at all")), 0u);
    EXPECT_EQ(Scan(ToBytes("ARNIARNI")), 0u);
    EXPECT_EQ(Scan({}), 0u);
}

TEST(PackageScan, MarkerStraddlingBlocksIsFound)
{
    // Put the opening marker across the first 1024-byte block boundary at every split.
    for (int before = 1021; before <= 1024; ++before) {
        std::string file(before, 'x');
        file += "ARNIhelloARNIARNI";
        EXPECT_EQ(Scan(ToBytes(file)), CrcOf("hello")) << "marker at " << before;
    }
}

TEST(PackageScan, BytesOutsideThePackageDoNotChangeTheCrc)
{
    const std::string package = "ARNImember oneARNImember twoARNIARNI";
    const uint32_t crc = Scan(ToBytes(package));
    EXPECT_EQ(crc, CrcOf("member onemember two"));
    EXPECT_EQ(Scan(ToBytes("MZ other header bytes" + package + "\r\ntrailer")), crc);
}

}  // namespace
}  // namespace vorn
