// The member decoder against worked vectors, hostile headers, members cut
// short at every length, streams whose reads or writes fail part-way (the
// writes at every byte), and the adaptive tree's invariants across its
// rebuilds.
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
#include "decoder/byte_stream.h"
#include "decoder/member_decoder.h"
#include "packer/member_encoder.h"
#include "tests/core/recording_sink.h"
#include "tests/core/scratch_file.h"

namespace vorn {
namespace {

using test::Bytes;
using test::RecordingSink;
using test::ScratchFile;

struct Decoded {
    bool ok = false;
    Bytes output;
};

// Decodes from a stream into the output file, which is written from its
// start but never truncated (the decode's bytes are its first ones): a case
// that decodes a thousand times does not make the file system reclaim the
// blocks of a thousand files.
Decoded DecodeInto(FILE* in, const ScratchFile& out, RecordingSink& sink)
{
    FILE* fout = out.Open("r+b");
    bool ok = DecodeMember(in, fout, sink.Sink());
    long written = ftell(fout);
    fclose(fout);
    Bytes output = out.Read();
    output.resize(static_cast<size_t>(written));
    return {ok, output};
}

Decoded Decode(const Bytes& stream, RecordingSink& sink)
{
    ScratchFile in("member.in", stream);
    ScratchFile out("member.out");
    FILE* fin = in.Open("rb");
    Decoded d = DecodeInto(fin, out, sink);
    fclose(fin);
    return d;
}

// Puts another file's descriptor under a stream, as a failing device would
// be: what the stream reads or writes from then on reaches that file.
void SwapDescriptor(FILE* stream, FILE* replacement)
{
#if defined(_WIN32)
    _dup2(_fileno(replacement), _fileno(stream));
#else
    dup2(fileno(replacement), fileno(stream));
#endif
}

// What a member's input yields after its first n bytes.
enum class Then {
    ReadError,  // the next read fails, as on a failing disk
    End,        // the input ends
    Zeros,      // zero bytes, as many as the files were made with
};

// The files the cut-input cases read: the member behind a lead byte, and a
// file for each way to go on after its first n bytes.
struct MemberFiles {
    MemberFiles(const Bytes& member, size_t zeros)
        : withLead("member.lead", WithLead(member)), zeroFile("zeros", Bytes(zeros, 0))
    {
    }
    static Bytes WithLead(Bytes member)
    {
        member.insert(member.begin(), 0xAA);
        return member;
    }
    ScratchFile withLead;
    ScratchFile writeOnly{"write-only"};  // opened for writing only: reads from it fail
    ScratchFile empty{"empty"};
    ScratchFile zeroFile;
};

// A stream that yields the member's first n bytes, then what `then` says. A
// lead byte read through a buffer of n + 1 bytes leaves exactly those n bytes
// buffered; then another file's descriptor is put under the stream, and the
// next refill reads from that one. With n = 0 the very first read does.
class CutInput {
public:
    CutInput(const MemberFiles& files, size_t n, Then then) : buffer_(n + 1)
    {
        stream_ = files.withLead.Open("rb");
        if (n > 0) {
            setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
            getc(stream_);
        }
        FILE* next = then == Then::ReadError ? files.writeOnly.Open("wb")
                     : then == Then::End     ? files.empty.Open("rb")
                                             : files.zeroFile.Open("rb");
        SwapDescriptor(stream_, next);
        fclose(next);
    }
    ~CutInput() { fclose(stream_); }
    CutInput(const CutInput&) = delete;
    CutInput& operator=(const CutInput&) = delete;
    FILE* Stream() const { return stream_; }

private:
    std::vector<char> buffer_;
    FILE* stream_ = nullptr;
};

// An output stream whose single-byte writes fail from the k-th on, as on a
// disk that fills up. With k = 0 the stream is unbuffered; otherwise its
// buffer of k + 1 bytes already holds one byte, so that the decoder's first
// k bytes fill it and its next write must flush it. A descriptor open only
// for reading is put under the stream, so the system refuses every write
// (and the target file stays empty).
class FailingOutput {
public:
    FailingOutput(const ScratchFile& target, const ScratchFile& readable, size_t k) : buffer_(k + 1)
    {
        stream_ = target.Open("wb");
        if (k == 0) {
            setvbuf(stream_, nullptr, _IONBF, 0);
        } else {
            setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
            putc(0xAA, stream_);
        }
        FILE* readOnly = readable.Open("rb");
        SwapDescriptor(stream_, readOnly);
        fclose(readOnly);
    }
    ~FailingOutput()
    {
        if (stream_)
            fclose(stream_);
    }
    FailingOutput(const FailingOutput&) = delete;
    FailingOutput& operator=(const FailingOutput&) = delete;
    FILE* Stream() const { return stream_; }
    // Closes the stream; true when all it was given reached the file.
    bool Close()
    {
        bool ok = fclose(stream_) == 0;
        stream_ = nullptr;
        return ok;
    }

private:
    std::vector<char> buffer_;
    FILE* stream_ = nullptr;
};

// Content for the cases that cut or fail one member at every byte: text
// lines (short matches), seeded random bytes (literals), a long run (matches
// of the longest length that overlap their own output) and text again.
Bytes MixedContent()
{
    Bytes data;
    auto text = [&](int lines) {
        for (int i = 0; i < lines; ++i) {
            std::string line = "line " + std::to_string(i) + ": nick!user@host PRIVMSG #vorn :hello\r\n";
            data.insert(data.end(), line.begin(), line.end());
        }
    };
    text(15);
    std::mt19937 random(29);
    for (int i = 0; i < 400; ++i)
        data.push_back(static_cast<unsigned char>(random()));
    data.insert(data.end(), 400, 'z');
    text(10);
    return data;
}

// The member stream the packer writes for the data.
Bytes Encoded(const Bytes& data)
{
    Bytes stream;
    std::string error;
    EXPECT_TRUE(EncodeMember(data, &stream, &error)) << error;
    return stream;
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

TEST(DecodeMember, ReadErrorAnywhereInTheMemberFails)
{
    // Bits for more than two of the decoder's read blocks, so that a read
    // fails in the first block, in a later one and at their edges, and a
    // declared size far beyond what they give, so that the decoder reads
    // every byte and then runs into the end of the input.
    Bytes member = {0x00, 0x00, 0x10, 0x00};  // 1 MiB
    std::mt19937 random(13);
    for (int i = 0; i < 2 * kBlockSize + 600; ++i)
        member.push_back(static_cast<unsigned char>(random()));

    // Read to its end without an error, the same bytes decode (zeros past the end).
    RecordingSink plainSink;
    Decoded plain = Decode(member, plainSink);
    ASSERT_TRUE(plain.ok);
    ASSERT_GE(plain.output.size(), 0x100000u);

    const MemberFiles files(member, 0);
    const size_t block = kBlockSize;  // the decoder's read size
    const size_t failAfter[] = {0, 1, 3, 4, 5, 6, 100, 303,                   // first block
                                block - 1, block, block + 1, 2 * block - 1,  // edges
                                2 * block, 2 * block + 1, 2 * block + 303,   // a later block
                                member.size() - 1, member.size()};
    for (size_t n : failAfter) {
        {   // the stream itself: n bytes, then an error rather than the end
            CutInput probe(files, n, Then::ReadError);
            size_t got = 0;
            while (getc(probe.Stream()) != EOF)
                ++got;
            ASSERT_EQ(got, n) << "fixture, error after " << n;
            ASSERT_TRUE(ferror(probe.Stream())) << "fixture, error after " << n;
        }
        CutInput input(files, n, Then::ReadError);
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

// A member cut short at any length past its header is no error by the format:
// the missing bytes read as zero bits and the decode runs on to the declared
// size. What must hold is exactly that: the same output as the cut stream
// followed by zero bytes (never stale or made-up bits), at least the declared
// size and at most one match more. That the output is then wrong is for the
// package's CRC to catch, before any member is decoded.
TEST(DecodeMember, MemberCutShortAtEveryLengthDecodesAsIfZerosFollowed)
{
    const Bytes data = MixedContent();
    const Bytes stream = Encoded(data);
    ASSERT_GT(stream.size(), 400u) << "a member with some length to cut";
    {
        RecordingSink sink;
        Decoded whole = Decode(stream, sink);
        ASSERT_TRUE(whole.ok);
        ASSERT_TRUE(whole.output == data) << "the whole stream gives the data back";
    }
    // Far more zeros than the declared size can take (every symbol takes at
    // least one bit and gives at least one byte), and a block of them more for
    // the decoder's reading ahead.
    const MemberFiles files(stream, 2 * data.size() + 2 * kBlockSize);
    const ScratchFile out("member.out");
    for (size_t length = 0; length < stream.size(); ++length) {
        RecordingSink sink;
        Decoded d;
        {
            CutInput cut(files, length, Then::End);
            d = DecodeInto(cut.Stream(), out, sink);
        }
        if (length < 4) {
            ASSERT_FALSE(d.ok) << "a header cut at " << length;
            ASSERT_TRUE(d.output.empty()) << length;
            continue;
        }
        RecordingSink paddedSink;
        Decoded p;
        {
            CutInput padded(files, length, Then::Zeros);
            p = DecodeInto(padded.Stream(), out, paddedSink);
            ASSERT_FALSE(feof(padded.Stream())) << length << ": the zeros did not suffice";
        }
        ASSERT_TRUE(p.ok) << length;
        ASSERT_TRUE(d.ok) << "cut at " << length;
        ASSERT_TRUE(d.output == p.output) << "cut at " << length << ": not the output of zeros past the end";
        ASSERT_GE(d.output.size(), data.size()) << length;
        ASSERT_LE(d.output.size(), data.size() + 59) << length;
        ASSERT_EQ(sink.repaints, 1) << length;
    }
}

// The decoder's output failing at every byte: the decoder must report the
// failure itself (no repaint, no progress past the block of output whose
// write failed: it writes in blocks of kBlockSize), and a caller that also
// checks the stream's error flag and its close, as the installer does, never
// gets a short file called whole, the failure that only shows when the last
// buffer is flushed included.
TEST(DecodeMember, WriteFailingAtEveryByteIsNeverASuccess)
{
    // Output of several blocks; every byte of the first few hundred fails
    // in turn, then the bytes around each block's end and the last two.
    Bytes data;
    while (data.size() < 3 * static_cast<size_t>(kBlockSize))
        for (unsigned char c : MixedContent())
            data.push_back(c);
    std::vector<size_t> failing;
    for (size_t k = 0; k < 300; ++k)
        failing.push_back(k);
    for (size_t end = kBlockSize; end < data.size(); end += kBlockSize)
        for (size_t k = end - 2; k <= end + 2; ++k)
            failing.push_back(k);
    for (size_t k = data.size() - 2; k < data.size(); ++k)
        failing.push_back(k);

    const ScratchFile member("member.in", Encoded(data));
    const ScratchFile target("failing.out"), readable("read-only");
    for (size_t k : failing) {
        FILE* in = member.Open("rb");
        FailingOutput out(target, readable, k);
        RecordingSink sink;
        const bool decoded = DecodeMember(in, out.Stream(), sink.Sink());
        const bool streamFailed = ferror(out.Stream()) != 0;
        const bool closed = out.Close();
        fclose(in);
        ASSERT_FALSE(decoded && !streamFailed && closed) << "writes failing from byte " << k;
        if (k < data.size()) {
            ASSERT_FALSE(decoded) << "the decoder did not see the failed write of byte " << k;
            ASSERT_EQ(sink.repaints, 0) << k;
            const size_t blockEnd = (k / kBlockSize + 1) * kBlockSize;
            for (const auto& report : sink.reports)
                ASSERT_LE(report.first, blockEnd) << "decoding went on past the failed write of byte " << k;
        }
    }
    // The same stream through the same kind of buffer, into a descriptor that
    // takes the writes: the fixture itself does not fail.
    FILE* in = member.Open("rb");
    ScratchFile written("member.out");
    FILE* out = written.Open("wb");
    std::vector<char> buffer(data.size() / 2);
    setvbuf(out, buffer.data(), _IOFBF, buffer.size());
    RecordingSink sink;
    EXPECT_TRUE(DecodeMember(in, out, sink.Sink()));
    EXPECT_EQ(fclose(out), 0);
    fclose(in);
    EXPECT_TRUE(written.Read() == data);
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
