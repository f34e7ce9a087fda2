// The block reads and writes behind the byte-at-a-time helpers.
#include "decoder/byte_stream.h"

namespace vorn {

bool FillBlock(BlockReader& reader, FILE* stream)
{
    reader.offset += reader.end;
    reader.next = 0;
    reader.end = static_cast<int>(fread(reader.bytes, 1, sizeof reader.bytes, stream));
    return reader.end > 0;
}

bool FlushBlock(BlockWriter& writer, FILE* stream)
{
    const size_t held = static_cast<size_t>(writer.fill);
    writer.fill = 0;
    return held == 0 || fwrite(writer.bytes, 1, held, stream) == held;
}

}  // namespace vorn
