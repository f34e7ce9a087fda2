// The demo package cut short at every length, as a download or a copy that
// stopped early leaves it. The installer's check (the scan's CRC against the
// whole package's) must accept a prefix only when it holds every member
// byte, and its ten members must then decode to the payload exactly; the
// packer's verify must refuse a prefix or find the ten members whole. Never
// a success with a member cut short.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "decoder/member_decoder.h"
#include "package/marker.h"
#include "package/member_table.h"
#include "package/package_scan.h"
#include "packer/package_reader.h"
#include "tests/support/package_members.h"

namespace vorn {
namespace {

Bytes ReadAll(const std::string& path)
{
    Bytes bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int c; (c = getc(f)) != EOF;)
            bytes.push_back(static_cast<uint8_t>(c));
        fclose(f);
    }
    return bytes;
}

// The scan over the first `length` bytes, as the installer runs it over a
// file that ends there.
uint32_t ScanPrefix(const Bytes& bytes, size_t length)
{
    FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), length, "rb");
    if (!f)
        return 0;
    uint32_t crc = ScanPackageStream(f);
    fclose(f);
    return crc;
}

// One member stream decoded in memory; false when the decoder refuses it.
bool Decode(const Bytes& stream, Bytes* out)
{
    out->clear();
    if (stream.empty())
        return false;
    FILE* in = fmemopen(const_cast<uint8_t*>(stream.data()), stream.size(), "rb");
    char* buffer = nullptr;
    size_t size = 0;
    FILE* decoded = open_memstream(&buffer, &size);
    MemberProgressSink quiet = {[](void*) { return 160; }, [](void*, uint32_t, uint32_t) {}, [](void*) {},
                                nullptr};
    bool ok = in && decoded && DecodeMember(in, decoded, quiet);
    if (decoded)
        fclose(decoded);
    if (in)
        fclose(in);
    out->assign(buffer, buffer + size);
    free(buffer);
    return ok;
}

TEST(TruncatedPackage, EveryPrefixIsRefusedOrHoldsTheTenMembersWhole)
{
    const Bytes package = ReadAll(VORN_TEST_PACKAGE);
    ASSERT_FALSE(package.empty()) << VORN_TEST_PACKAGE << " (built by the Windows tree)";
    std::vector<Bytes> payload;
    for (const char* name : kMemberNames) {
        payload.push_back(ReadAll(std::string(VORN_TEST_PAYLOAD_DIR) + "/" + name));
        ASSERT_FALSE(payload.back().empty()) << name;
    }
    const uint32_t crc = ScanPrefix(package, package.size());
    ASSERT_NE(crc, 0u);
    const std::vector<size_t> markers = test::MarkerOffsets(package);
    ASSERT_EQ(markers.size(), 12u) << "an opening marker, nine between members, the closing pair";
    ASSERT_EQ(markers[11], markers[10] + kMarkerLength);
    const size_t membersEnd = markers[10];                     // every member byte lies before it
    const size_t closingEnd = markers[11] + kMarkerLength;     // the closing pair lies before it

    char path[] = "/tmp/vorn-truncated-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, package.data(), package.size()), static_cast<ssize_t>(package.size()));
    close(fd);

    // Longest first: the file on disk is cut one byte shorter each time.
    for (size_t length = package.size() + 1; length-- > 0;) {
        const bool accepted = ScanPrefix(package, length) == crc;
        ASSERT_EQ(accepted, length >= membersEnd) << "the installer's check on a prefix of " << length << " bytes";
        if (accepted) {
            // The pump reads the same bytes: ten members, a partial marker at
            // the very end appended to the last one as data.
            const std::vector<Bytes> members = test::SplitMembers(package.data(), length);
            ASSERT_GE(members.size(), 10u) << length;
            for (size_t i = 0; i < 10; ++i) {
                Bytes decoded;
                ASSERT_TRUE(Decode(members[i], &decoded)) << kMemberNames[i] << ", prefix of " << length;
                ASSERT_TRUE(decoded == payload[i]) << kMemberNames[i] << ", prefix of " << length << ": "
                                                   << decoded.size() << " bytes decoded";
            }
        }

        ASSERT_EQ(truncate(path, static_cast<off_t>(length)), 0);
        CheckedPackage checked;
        std::string error;
        const bool verified = CheckPackageFile(path, &checked, &error);
        ASSERT_EQ(verified, length >= closingEnd) << "verify on a prefix of " << length << " bytes: " << error;
        if (verified) {
            ASSERT_EQ(checked.contents.size(), 10u);
            for (size_t i = 0; i < 10; ++i)
                ASSERT_TRUE(checked.contents[i] == payload[i]) << kMemberNames[i] << ", prefix of " << length;
        }
    }
    unlink(path);
}

}  // namespace
}  // namespace vorn
