// The member decoder: one member stream (32-bit little-endian decoded size,
// then the LZSS bit stream with its adaptive Huffman code) into one file.
#pragma once
#include <cstdint>
#include <cstdio>

namespace vorn {

// Progress interface of the decoder; the installer draws the member bar with it.
struct MemberProgressSink {
    int (*BarWidth)(void* context);                           // once per member, positive
    void (*Report)(void* context, uint32_t done, uint32_t total);  // at multiples of the step
    void (*Repaint)(void* context);                           // once, after a successful decode
    void* context;
};

// Decodes the member stream at input's position into output. False when the
// header cannot be read or declares size 0, when the input reports a read
// error anywhere in the member, or when a write fails (a write reported by
// the output's close is the caller's to check). A bit stream that ends early
// (end of input, no error) reads as zero bits. The last match is copied
// whole, so output may run up to 59 bytes past the declared size. The input
// is read in blocks: the member must be the last thing in its stream.
bool DecodeMember(FILE* input, FILE* output, const MemberProgressSink& sink);

}  // namespace vorn
