// The member decoder against worked vectors, hostile headers, truncated
// streams and streams that fail part-way, and the adaptive tree's invariants
// across its rebuilds.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <random>
#include <string>

#include "decoder/adaptive_tree.h"
#include "decoder/member_decoder.h"
#include "tests/core/recording_sink.h"
#include "tests/core/scratch_file.h"

namespace vorn {
namespace {

using test::Bytes;
using test::RecordingSink;
using test::ScratchFile;

struct Decoded {
    bool ok;
    Bytes output;
};

Decoded Decode(const Bytes& stream, RecordingSink& sink)
{
    ScratchFile in("member.in", stream);
    ScratchFile out("member.out");
    FILE* fin = in.Open("rb");
    FILE* fout = out.Open("wb");
    bool ok = DecodeMember(fin, fout, sink.Sink());
    fclose(fout);
    fclose(fin);
    return {ok, out.Read()};
}

TEST(DecodeMember, WorkedVectors)
{
    struct Case { const char* name; Bytes stream; std::string output; };
    const Case cases[] = {
        {"literal A coded 111001101", {0x01, 0, 0, 0, 0xE6, 0x80}, "A"},
        {"length-3 match at offset 0 overlaps its own output", {0x03, 0, 0, 0, 0x8C, 0, 0}, "   "},
        {"a match is copied whole past the declared size", {0x02, 0, 0, 0, 0x8C, 0, 0}, "   "},
        {"trailing bytes after the last item are ignored", {0x01, 0, 0, 0, 0xE6, 0xFF, 0x41, 0x41}, "A"},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        Decoded d = Decode(c.stream, sink);
        EXPECT_TRUE(d.ok) << c.name;
        EXPECT_EQ(std::string(d.output.begin(), d.output.end()), c.output) << c.name;
        EXPECT_EQ(sink.widthCalls, 1) << c.name;
        EXPECT_EQ(sink.repaints, 1) << c.name;
    }
}

TEST(DecodeMember, RefusesEmptyOrTruncatedHeaders)
{
    const Bytes cases[] = {
        {},
        {0x01},
        {0x01, 0x00},
        {0x01, 0x00, 0x00},                    // ends inside the four-byte header
        {0x00, 0x00, 0x00, 0x00, 0xE6, 0x80},  // declared size 0, valid bits after it
    };
    for (const Bytes& stream : cases) {
        RecordingSink sink;
        Decoded d = Decode(stream, sink);
        EXPECT_FALSE(d.ok) << "header of " << stream.size() << " bytes";
        EXPECT_TRUE(d.output.empty());
        EXPECT_EQ(sink.widthCalls + sink.repaints + static_cast<int>(sink.reports.size()), 0);
    }
}

TEST(DecodeMember, EarlyEndOfBitsReadsAsZeros)
{
    // Declared size 300 and no bit stream at all: every size is still reached.
    RecordingSink sink;
    Decoded d = Decode({0x2C, 0x01, 0x00, 0x00}, sink);
    EXPECT_TRUE(d.ok);
    EXPECT_GE(d.output.size(), 300u);
    EXPECT_LE(d.output.size(), 300u + 59u);
}

// A member file read through a stream whose reads fail after the member's
// first n bytes, as a failing disk's would. A lead byte read through a buffer
// of n + 1 bytes leaves exactly those n bytes buffered; then a descriptor open
// only for writing is put under the stream, so the system refuses its next
// refill. With n = 0 the very first read is refused.
class FailingInput {
public:
    FailingInput(const Bytes& member, size_t n) : file_("failing.in", WithLead(member)), buffer_(n + 1)
    {
        stream_ = file_.Open("rb");
        if (n > 0) {
            setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
            getc(stream_);
        }
        FILE* writeOnly = deadEnd_.Open("wb");
#if defined(_WIN32)
        _dup2(_fileno(writeOnly), _fileno(stream_));
#else
        dup2(fileno(writeOnly), fileno(stream_));
#endif
        fclose(writeOnly);
    }
    ~FailingInput() { fclose(stream_); }
    FILE* Stream() const { return stream_; }

private:
    static Bytes WithLead(Bytes member)
    {
        member.insert(member.begin(), 0xAA);
        return member;
    }
    ScratchFile file_;
    ScratchFile deadEnd_{"dead-end"};
    std::vector<char> buffer_;
    FILE* stream_ = nullptr;
};

TEST(DecodeMember, ReadErrorAnywhereInTheMemberFails)
{
    // A declared size far beyond what 600 bytes of bits give, so that the
    // decoder reads every byte and then runs into the end of the input.
    Bytes member = {0x20, 0x4E, 0x00, 0x00};  // 20000
    std::mt19937 random(13);
    for (int i = 0; i < 600; ++i)
        member.push_back(static_cast<unsigned char>(random()));

    // Read to its end without an error, the same bytes decode (zeros past the end).
    RecordingSink plainSink;
    Decoded plain = Decode(member, plainSink);
    ASSERT_TRUE(plain.ok);
    ASSERT_GE(plain.output.size(), 20000u);

    const size_t failAfter[] = {0, 1, 3, 4, 5, 6, 100, 303, 603, member.size()};
    for (size_t n : failAfter) {
        {   // the stream itself: n bytes, then an error rather than the end
            FailingInput probe(member, n);
            size_t got = 0;
            while (getc(probe.Stream()) != EOF)
                ++got;
            ASSERT_EQ(got, n) << "fixture, error after " << n;
            ASSERT_TRUE(ferror(probe.Stream())) << "fixture, error after " << n;
        }
        FailingInput input(member, n);
        ScratchFile out("member.out");
        FILE* fout = out.Open("wb");
        RecordingSink sink;
        bool ok = DecodeMember(input.Stream(), fout, sink.Sink());
        fclose(fout);
        EXPECT_FALSE(ok) << "error after " << n << " bytes";
        EXPECT_EQ(sink.repaints, 0) << "error after " << n << " bytes";
        Bytes written = out.Read();
        EXPECT_TRUE(written.size() <= plain.output.size() &&
                    std::equal(written.begin(), written.end(), plain.output.begin()))
            << "error after " << n << " bytes: only what came before the error is written";
    }
}

TEST(DecodeMember, ReportsAtMultiplesOfTheStep)
{
    {   // bar wider than the size: step 1, a report after the single symbol
        RecordingSink sink;
        Decode({0x01, 0, 0, 0, 0xE6, 0x80}, sink);
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0], std::make_pair(1u, 1u));
    }
    {   // width 2 on size 3: step 1; the match moves done from 0 to 3 in one report
        RecordingSink sink;
        sink.width = 2;
        Decode({0x03, 0, 0, 0, 0x8C, 0, 0}, sink);
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0], std::make_pair(3u, 3u));
    }
}

TEST(DecodeMember, FailedWriteStopsWithoutRepaint)
{
    ScratchFile in("member.in", {0x03, 0, 0, 0, 0x8C, 0, 0});
    ScratchFile out("member.out", {'x'});
    FILE* fin = in.Open("rb");
    FILE* fout = out.Open("rb");  // opened for reading: every write fails
    RecordingSink sink;
    bool ok = DecodeMember(fin, fout, sink.Sink());
    fclose(fout);
    fclose(fin);
    EXPECT_FALSE(ok);
    EXPECT_EQ(sink.repaints, 0);
}

TEST(DecodeMember, EachMemberStartsFromAFreshState)
{
    // The first stream leaves set bits in the reader; the second must not see them.
    RecordingSink sink;
    EXPECT_EQ(Decode({0x01, 0, 0, 0, 0xE6, 0xFF}, sink).output, Bytes{'A'});
    Decoded second = Decode({0x03, 0, 0, 0, 0x8C, 0, 0}, sink);
    EXPECT_EQ(second.output, Bytes(3, ' '));
}

// Checks what every update must keep: weights sorted, each inner weight the
// sum of its children's, parents pointing back, the root the total weight.
void ExpectTreeConsistent(const AdaptiveTree& t, const char* when)
{
    uint32_t leafTotal = 0;
    for (int n = 0; n < kNodeCount; ++n) {
        if (n + 1 < kNodeCount) {
            ASSERT_LE(t.count[n], t.count[n + 1]) << when << ": order at node " << n;
        }
        int c = t.child[n];
        if (c >= kLeafMark) {
            leafTotal += t.count[n];
            ASSERT_EQ(t.parent[c], n) << when << ": leaf of symbol " << c - kLeafMark;
        } else {
            ASSERT_EQ(t.count[n], t.count[c] + t.count[c + 1]) << when << ": weight of node " << n;
            ASSERT_EQ(t.parent[c], n) << when;
            ASSERT_EQ(t.parent[c + 1], n) << when;
        }
    }
    EXPECT_EQ(t.count[kRoot], leafTotal) << when;
    EXPECT_EQ(t.count[kNodeCount], 0xFFFF) << when;
}

TEST(AdaptiveTree, FreshTreeCodeLengths)
{
    AdaptiveTree t;
    ResetTree(t);
    ExpectTreeConsistent(t, "fresh");
    EXPECT_EQ(t.count[kRoot], 314);
    auto depth = [&](int symbol) {
        int d = 0;  // edges from the leaf's node up to the root
        for (int n = t.parent[symbol + kLeafMark]; n != kRoot; n = t.parent[n])
            ++d;
        return d;
    };
    EXPECT_EQ(depth(0), 9);
    EXPECT_EQ(depth(115), 9);
    EXPECT_EQ(depth(116), 8);
    EXPECT_EQ(depth(313), 8);
}

TEST(AdaptiveTree, RebuildsAtThe32455thSymbol)
{
    AdaptiveTree t;
    ResetTree(t);
    std::mt19937 random(7);
    std::geometric_distribution<int> skewed(0.05);  // a skewed alphabet, like real data
    for (int i = 1; i <= 32454; ++i)
        UpdateTree(t, skewed(random) % kSymbolCount);
    ExpectTreeConsistent(t, "after 32454 symbols");
    ASSERT_EQ(t.count[kRoot], 0x8000);  // reached, not yet rebuilt

    AdaptiveTree before = t;
    UpdateTree(t, 'e');
    ExpectTreeConsistent(t, "after the rebuild");
    uint32_t halved = 0;
    for (int n = 0; n < kNodeCount; ++n)
        if (before.child[n] >= kLeafMark)
            halved += (before.count[n] + 1) / 2;
    EXPECT_EQ(t.count[kRoot], halved + 1);

    for (int i = 0; i < 100000; ++i) {  // several more rebuilds
        UpdateTree(t, skewed(random) % kSymbolCount);
        ASSERT_LE(t.count[kRoot], 0x8000);
    }
    ExpectTreeConsistent(t, "after many rebuilds");
}

}  // namespace
}  // namespace vorn
