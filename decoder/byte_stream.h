// Byte-at-a-time reading and writing through blocks of the caller's own:
// the decoder and the extraction pump take and put every byte one at a
// time, but the C library is called once per block, not once per byte.
#pragma once
#include <cstdint>
#include <cstdio>

namespace vorn {

constexpr int kBlockSize = 16384;

// Bytes read ahead from a stream; the stream itself is passed to each call.
struct BlockReader {
    int64_t offset;  // stream position of bytes[0]
    int next, end;   // bytes[next..end) are read but not yet taken
    uint8_t bytes[kBlockSize];
};

// Bytes put but not yet written to the stream.
struct BlockWriter {
    int fill;
    uint8_t bytes[kBlockSize];
};

// Reads the next block; false at the end of the stream or on a read error
// (the stream's error flag tells them apart).
bool FillBlock(BlockReader& reader, FILE* stream);

// Writes the bytes held; false when the stream took fewer (the bytes are
// dropped either way).
bool FlushBlock(BlockWriter& writer, FILE* stream);

// The next byte, or EOF.
inline int NextByte(BlockReader& reader, FILE* stream)
{
    if (reader.next == reader.end && !FillBlock(reader, stream))
        return EOF;
    return reader.bytes[reader.next++];
}

// Bytes taken so far: the stream position of the next byte to be taken.
inline int64_t TakenBytes(const BlockReader& reader)
{
    return reader.offset + reader.next;
}

// True when the byte was held, or its full block written.
inline bool PutByte(BlockWriter& writer, FILE* stream, uint8_t byte)
{
    writer.bytes[writer.fill++] = byte;
    return writer.fill < kBlockSize || FlushBlock(writer, stream);
}

}  // namespace vorn
