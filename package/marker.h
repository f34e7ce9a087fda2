// The package marker and the non-backtracking matcher that the CRC scan, the
// extraction pump and the packer all apply to the installer file's bytes.
//
// Installer file layout:
//   any bytes        file headers, code, data, resources ahead of the package:
//                    no marker in them, no partial match pending at their end
//   "ARNI"           marker, then member 1 (a member stream)
//   "ARNI" member 2 ... "ARNI" member 10
//   "ARNIARNI"       end of the package, then CR LF that nothing reads
//
// A marker is recognised only when its first byte arrives while nothing is
// pending: a byte that breaks a partial match is data and is not tested
// again as a first marker byte.
#pragma once
#include <cstdint>

namespace vorn {

constexpr int kMarkerLength = 4;

// The marker text and a terminating zero. It is joined at start-up from two
// pieces, so that the installer's own code and data never hold it, and is
// ready before anything can read it.
extern const char* const PackageMarker;

enum class MatchStep {
    Pending,  // the byte continued a partial match; nothing is decided yet
    Marker,   // the byte completed a marker
    Data,     // the pending bytes (marker bytes 0..pending-1), then the byte, are data
};

struct MarkerMatcher {
    int matched = 0;  // marker bytes matched so far, 0..3
};

// Feeds one byte. On Data, *pending receives how many marker bytes were held
// back before this byte; they come first.
inline MatchStep FeedMatcher(MarkerMatcher& m, uint8_t byte, int* pending)
{
    if (byte == static_cast<uint8_t>(PackageMarker[m.matched])) {
        if (++m.matched < kMarkerLength)
            return MatchStep::Pending;
        m.matched = 0;
        return MatchStep::Marker;
    }
    *pending = m.matched;
    m.matched = 0;
    return MatchStep::Data;
}

}  // namespace vorn
