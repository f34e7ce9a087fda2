// The member decoder: adaptive Huffman symbols, fixed-code offsets, LZSS copy.
#include "decoder/member_decoder.h"

#include <cstring>

#include "decoder/adaptive_tree.h"
#include "decoder/byte_stream.h"
#include "decoder/offset_code.h"

namespace vorn {
namespace {

struct MemberDecoder {
    AdaptiveTree tree;
    FILE* input;
    FILE* output;
    uint16_t bitBuffer;  // pending bits, left-aligned
    uint16_t bitCount;
    bool readFailed;  // the input reported an error: what follows is not the member
    uint8_t ring[kRingSize];
    OffsetTables offsets;  // filled at each decode: 512 bytes less in the installer's file
    BlockReader in;
    BlockWriter out;
};

// Tops the bit buffer up to more than eight bits. End of input reads as
// zeros (the format has no end code); a failed read also gives EOF, so it is
// told apart here and remembered for the decode loop to stop on. Out of line:
// it runs about once a byte, the test in Refill once a bit.
[[gnu::noinline]] void TopUp(MemberDecoder& d)
{
    while (d.bitCount <= 8) {
        int b = NextByte(d.in, d.input);
        if (b == EOF) {
            b = 0;
            if (ferror(d.input))
                d.readFailed = true;
        }
        d.bitBuffer = static_cast<uint16_t>(d.bitBuffer | (b << (8 - d.bitCount)));
        d.bitCount = static_cast<uint16_t>(d.bitCount + 8);
    }
}

inline void Refill(MemberDecoder& d)
{
    if (d.bitCount <= 8)
        TopUp(d);
}

inline int ReadBit(MemberDecoder& d)
{
    Refill(d);
    int bit = d.bitBuffer >> 15;
    d.bitBuffer = static_cast<uint16_t>(d.bitBuffer << 1);
    d.bitCount = static_cast<uint16_t>(d.bitCount - 1);
    return bit;
}

inline int ReadByte(MemberDecoder& d)
{
    Refill(d);
    int byte = d.bitBuffer >> 8;
    d.bitBuffer = static_cast<uint16_t>(d.bitBuffer << 8);
    d.bitCount = static_cast<uint16_t>(d.bitCount - 8);
    return byte;
}

// One decoded byte into the ring and towards the output.
inline bool Emit(MemberDecoder& d, int& r, uint8_t byte)
{
    d.ring[r] = byte;
    r = (r + 1) & kRingMask;
    return PutByte(d.out, d.output, byte);
}

inline int DecodeSymbol(MemberDecoder& d)
{
    int n = d.tree.child[kRoot];
    while (n < kLeafMark)
        n = d.tree.child[n + ReadBit(d)];
    int symbol = n - kLeafMark;
    UpdateTree(d.tree, symbol);
    return symbol;
}

inline int DecodeOffset(MemberDecoder& d)
{
    int b = ReadByte(d);
    int u = d.offsets.high[b];
    for (int k = d.offsets.length[b] - 2; k > 0; --k)
        b = b * 2 + ReadBit(d);
    return u * 64 + (b & 0x3F);
}

}  // namespace

bool DecodeMember(FILE* input, FILE* output, const MemberProgressSink& sink)
{
    static MemberDecoder d;  // one instance: the state is large and decodes never overlap
    d.input = input;
    d.output = output;
    d.in.offset = 0;
    d.in.next = d.in.end = 0;
    d.out.fill = 0;
    BuildOffsetTables(d.offsets);

    // A stream that ends inside its header is refused rather than decoded
    // as a size with zero bytes in it.
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) {
        int b = NextByte(d.in, input);
        if (b == EOF)
            return false;
        size |= static_cast<uint32_t>(b) << (8 * i);
    }
    if (ferror(input) || size == 0)
        return false;

    d.bitBuffer = 0;
    d.bitCount = 0;
    d.readFailed = false;
    ResetTree(d.tree);
    std::memset(d.ring, kPresetByte, kStartPosition);

    uint32_t width = static_cast<uint32_t>(sink.BarWidth(sink.context));
    uint32_t step = width ? size / width : size;
    if (step == 0)
        step = 1;

    int r = kStartPosition;
    uint32_t done = 0;
    while (done < size) {
        int s = DecodeSymbol(d);
        int offset = s < kFirstMatchSymbol ? 0 : DecodeOffset(d);
        // Bits after a failed read are zeros, not the member's: nothing decoded
        // from them is written, and the member fails.
        if (d.readFailed)
            return false;
        if (s < kFirstMatchSymbol) {
            if (!Emit(d, r, static_cast<uint8_t>(s)))
                return false;
            ++done;
        } else {
            int src = (r - offset - 1) & kRingMask;
            // One byte at a time: an overlapping source repeats what this copy wrote.
            for (int k = 0, len = MatchLength(s); k < len; ++k) {
                if (!Emit(d, r, d.ring[(src + k) & kRingMask]))
                    return false;
                ++done;
            }
        }
        if (done % step == 0)
            sink.Report(sink.context, done, size);
    }
    // The last bytes held must reach the file before the member counts as written.
    if (!FlushBlock(d.out, output))
        return false;
    sink.Repaint(sink.context);
    return true;
}

}  // namespace vorn
