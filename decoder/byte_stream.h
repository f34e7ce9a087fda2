// One-byte reads and writes on the C library's buffered streams, without the
// per-call lock where the library offers that: the decoder and the pump move
// every byte through these.
#pragma once
#include <cstdio>

namespace vorn {

inline int NextByte(FILE* stream)
{
#if defined(__GLIBC__)
    return getc_unlocked(stream);
#else
    return getc(stream);
#endif
}

// True once a read or write on the stream has failed (the flag stays set).
inline bool StreamFailed(FILE* stream)
{
#if defined(__GLIBC__)
    return ferror_unlocked(stream) != 0;
#else
    return ferror(stream) != 0;
#endif
}

// True when the byte was written.
inline bool PutByte(FILE* stream, int byte)
{
#if defined(__GLIBC__)
    return putc_unlocked(byte, stream) != EOF;
#else
    return putc(byte, stream) != EOF;
#endif
}

}  // namespace vorn
