// The package scan: the CRC-32 of the member bytes, from the first marker up
// to the closing double marker, read in blocks of 1024 bytes.
#pragma once
#include <cstdint>
#include <cstdio>

namespace vorn {

enum class ScanState {
    BeforePayload,  // no marker found yet; data bytes are ignored
    AfterMarker,    // a marker has just completed and no data byte has followed
    InMember,       // inside a member; data bytes are hashed
    Done,           // a marker completed in AfterMarker: the closing double marker
};

// CRC of the package in the stream, read from its position; 0 on a read
// error (and for a package whose CRC is 0).
uint32_t ScanPackageStream(FILE* stream);

}  // namespace vorn
