// Round trips through the encoder and the installer's decoder over varied
// data, the marker rules the encoder must keep, and the progress steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "decoder/member_decoder.h"
#include "packer/member_encoder.h"
#include "tests/core/recording_sink.h"

namespace vorn {
namespace {

using test::RecordingSink;

Bytes DecodeBytes(const Bytes& stream, RecordingSink& sink, bool* ok)
{
    FILE* in = tmpfile();
    FILE* out = tmpfile();
    fwrite(stream.data(), 1, stream.size(), in);
    rewind(in);
    *ok = DecodeMember(in, out, sink.Sink());
    rewind(out);
    Bytes decoded;
    for (int c; (c = getc(out)) != EOF;)
        decoded.push_back(static_cast<uint8_t>(c));
    fclose(in);
    fclose(out);
    return decoded;
}

Bytes Text(size_t size, unsigned seed)
{
    static const char* words[] = {"the ", "client ", "joins ", "#vorn ", "channel ", "server ",
                                  "nick ", "PRIVMSG ", "away\r\n", "   indented ", "ARNI "};
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < size)
        s += words[random() % (sizeof words / sizeof *words)];
    s.resize(size);
    return Bytes(s.begin(), s.end());
}

Bytes Random(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes b(size);
    for (auto& x : b)
        x = static_cast<uint8_t>(random());
    return b;
}

// Executable-like data: runs of zeros, repeated instruction-like patterns, noise.
Bytes BinaryLike(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes b;
    while (b.size() < size) {
        switch (random() % 3) {
        case 0: b.insert(b.end(), random() % 200, 0); break;
        case 1: {
            Bytes pattern = Random(4 + random() % 12, random());
            for (int k = random() % 20; k >= 0; --k)
                b.insert(b.end(), pattern.begin(), pattern.end());
            break;
        }
        default: {
            Bytes noise = Random(random() % 300, random());
            b.insert(b.end(), noise.begin(), noise.end());
        }
        }
    }
    b.resize(size);
    return b;
}

Bytes Repeat(const std::string& unit, size_t times)
{
    Bytes b;
    for (size_t i = 0; i < times; ++i)
        b.insert(b.end(), unit.begin(), unit.end());
    return b;
}

TEST(MemberEncoder, RoundTripsVariedData)
{
    struct Case { const char* name; Bytes data; };
    const Case cases[] = {
        {"one byte", {'A'}},
        {"one space", {' '}},
        {"two bytes", {'x', 'y'}},
        {"text", Text(200000, 1)},
        {"random", Random(100000, 2)},
        {"executable-like, past several tree rebuilds", BinaryLike(400000, 3)},
        {"long run of one byte", Bytes(100000, 'z')},
        {"long run of spaces (the ring's preset)", Bytes(70000, ' ')},
        {"the marker many times", Repeat("ARNI", 20000)},
        {"marker pieces", Repeat("AARNARARNIA", 5000)},
        {"every byte value", Repeat(std::string("\x00\x01\x41\x52\x4E\x49\xFF", 7), 3000)},
    };
    for (const Case& c : cases) {
        Bytes stream;
        std::string error;
        ASSERT_TRUE(EncodeMember(c.data, &stream, &error)) << c.name << ": " << error;
        EXPECT_EQ(FindMarkerFault(stream), -1) << c.name;
        RecordingSink sink;
        bool ok = false;
        Bytes decoded = DecodeBytes(stream, sink, &ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_TRUE(decoded == c.data) << c.name << ": decoded " << decoded.size() << " of "
                                       << c.data.size() << " bytes";
    }
}

TEST(MemberEncoder, CompressesTextAndRuns)
{
    EXPECT_LT(EncodeMemberStream(Text(100000, 4)).size(), 40000u);
    EXPECT_LT(EncodeMemberStream(Bytes(100000, 0)).size(), 2500u);  // about 10 bits per 60-byte match
}

// Random bytes in which no three bytes repeat, so that the only matches are
// the ones a case puts there.
Bytes Unrepeated(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<bool> seen(1 << 24);
    Bytes b;
    while (b.size() < size) {
        uint8_t x = static_cast<uint8_t>(random());
        size_t n = b.size();
        if (x == ' ' || (n >= 2 && seen[b[n - 2] << 16 | b[n - 1] << 8 | x]))
            continue;
        if (n >= 2)
            seen[b[n - 2] << 16 | b[n - 1] << 8 | x] = true;
        b.push_back(x);
    }
    return b;
}

TEST(MemberEncoder, TakesEveryMatchWithinTheRingsReachAndNoneBeyond)
{
    // A block of unrepeated bytes comes again `distance` bytes later, among
    // other unrepeated bytes; the same data with a fresh block in its place
    // has nothing to match. A match saves about 7 bits a byte.
    struct Case {
        const char* name;
        size_t distance;
        size_t block;
        bool reachable;
    };
    const Case cases[] = {
        {"next to itself", 60, 60, true},
        {"a longest match at the farthest offset", 4096, 60, true},
        {"two longest matches' worth at the farthest offset", 4096, 120, true},
        {"one byte beyond the ring's reach", 4097, 60, false},
        {"well beyond it", 6000, 60, false},
    };
    for (const Case& c : cases) {
        Bytes unique = Unrepeated(2 * c.distance + c.block + 200, 7);
        Bytes data(unique.begin(), unique.begin() + c.distance + c.block + 100);
        Bytes without = data;
        std::copy(data.begin() + 50, data.begin() + 50 + c.block, data.begin() + 50 + c.distance);
        std::copy(unique.end() - c.block, unique.end(), without.begin() + 50 + c.distance);
        Bytes stream;
        std::string error;
        ASSERT_TRUE(EncodeMember(data, &stream, &error)) << c.name << ": " << error;
        RecordingSink sink;
        bool ok = false;
        EXPECT_TRUE(DecodeBytes(stream, sink, &ok) == data) << c.name;
        long saved = static_cast<long>(EncodeMemberStream(without).size()) -
                     static_cast<long>(EncodeMemberStream(data).size());
        if (c.reachable)
            EXPECT_GE(saved, static_cast<long>(c.block * 7 / 8) - 3) << c.name;
        else
            EXPECT_LE(saved, 1) << c.name;
    }
}

TEST(MemberEncoder, RefusesEmptyData)
{
    Bytes stream;
    std::string error;
    EXPECT_FALSE(EncodeMember({}, &stream, &error));
    EXPECT_EQ(error, "empty file");
}

TEST(MemberEncoder, RefusesDataWhoseEveryCodingFormsTheMarker)
{
    // Seven bytes without a repeat or a space: seven literals are their only
    // coding, and the bits of the first four spell the marker.
    const std::string seven = "\xb5\xc6\xc2\xbd\x99\x4b\x8c";
    const std::string helps = "changing one of them changes their coding, while bytes added in front only "
                              "shift it and may leave the marker in place";
    auto refusal = [&](const char* bytes, const char* at, const char* prefix) {
        return std::string("cannot be packed: the codes of its bytes ") + bytes +
               " form the package marker \"ARNI\" at byte " + at + " of the member stream, and no coding of bytes " +
               prefix + " avoids it (they repeat no three bytes and hold no run of three spaces, so each can "
               "only be coded as itself); " + helps;
    };
    struct Case {
        const char* name;
        std::string data;
        std::string error;  // empty: packed
    };
    const Case cases[] = {
        {"the seven bytes", seven, refusal("0-3", "4", "0-3")},
        {"anything after them", seven + "more text", refusal("0-3", "4", "0-3")},
        {"three bytes in front with 8-bit codes: the marker shifts by three bytes", "xyz" + seven,
         refusal("3-6", "7", "0-6")},
        {"one byte in front with a 9-bit code", "A" + seven, ""},
        {"the first byte changed", "\xb6" + seven.substr(1), ""},
    };
    for (const Case& c : cases) {
        Bytes stream;
        std::string error;
        bool packed = EncodeMember(Bytes(c.data.begin(), c.data.end()), &stream, &error);
        EXPECT_EQ(packed, c.error.empty()) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (packed) {
            EXPECT_EQ(FindMarkerFault(stream), -1) << c.name;
        }
    }
}

TEST(MemberEncoder, FindsMarkerFaults)
{
    struct Case { std::string stream; long fault; };
    const Case cases[] = {
        {"\x05\0\0\0xyz", -1},
        {std::string("\x05\0\0\0xARNIz", 9), 5},
        {std::string("\x05\0\0\0xAARNI", 10), -1},  // not a marker for the matcher
        {std::string("\x05\0\0\0xyA", 7), 7},        // partial match pending at the end
        {std::string("\x05\0\0\0xyARN", 9), 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindMarkerFault(Bytes(c.stream.begin(), c.stream.end())), c.fault) << c.stream;
}

TEST(MemberEncoder, KeepsTheMarkerRulesWhereThePlainEncodingBreaksThem)
{
    // Search for data whose plain encoding ends with a partial match pending
    // or holds a marker; the encoder must still give a sound stream.
    int found = 0;
    for (unsigned seed = 0; seed < 3000 && found < 3; ++seed) {
        Bytes data = Random(40 + seed % 50, seed);
        if (FindMarkerFault(EncodeMemberStream(data)) < 0)
            continue;
        ++found;
        Bytes stream;
        std::string error;
        ASSERT_TRUE(EncodeMember(data, &stream, &error)) << error;
        EXPECT_EQ(FindMarkerFault(stream), -1) << "seed " << seed;
        RecordingSink sink;
        bool ok = false;
        EXPECT_TRUE(DecodeBytes(stream, sink, &ok) == data) << "seed " << seed;
    }
    EXPECT_EQ(found, 3);
}

TEST(MemberEncoder, ProgressReportsOnlyAtExactMultiplesOfTheStep)
{
    // Size 1000 and width 160: step 6. Matches jump over multiples, so the
    // reports are a subset of them, each with the declared total.
    Bytes data = Text(1000, 5);
    RecordingSink sink;
    bool ok = false;
    DecodeBytes(EncodeMemberStream(data), sink, &ok);
    ASSERT_TRUE(ok);
    ASSERT_FALSE(sink.reports.empty());
    for (auto [done, total] : sink.reports) {
        EXPECT_EQ(done % 6, 0u) << done;
        EXPECT_EQ(total, 1000u);
    }
    EXPECT_LT(sink.reports.size(), 1000u / 6);  // some multiples were jumped over
    EXPECT_EQ(sink.repaints, 1);
}

}  // namespace
}  // namespace vorn
