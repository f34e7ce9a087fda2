// The package scan over a buffered stream.
#include "package/package_scan.h"

#include "package/crc32.h"
#include "package/marker.h"

namespace vorn {

uint32_t ScanPackageStream(FILE* stream)
{
    // The installer builds its table at each scan rather than carrying it:
    // 1 KiB less in its file, for 2,048 steps once per scan.
    CrcTable table;
    FillCrcTable(table);
    uint32_t crc = kCrcInitial;
    ScanState state = ScanState::BeforePayload;
    MarkerMatcher matcher;
    uint8_t block[1024];
    size_t got;
    while (state != ScanState::Done && (got = fread(block, 1, sizeof block, stream)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            int pending = 0;
            MatchStep step = FeedMatcher(matcher, block[i], &pending);
            if (step == MatchStep::Pending)
                continue;
            if (step == MatchStep::Marker) {
                if (state == ScanState::AfterMarker) {
                    state = ScanState::Done;  // the rest of the block is ignored
                    break;
                }
                state = ScanState::AfterMarker;
                continue;
            }
            if (state == ScanState::BeforePayload)
                continue;
            state = ScanState::InMember;
            for (int k = 0; k < pending; ++k)
                crc = CrcUpdate(table, crc, static_cast<uint8_t>(PackageMarker[k]));
            crc = CrcUpdate(table, crc, block[i]);
        }
    }
    // Bytes of a partial match still pending at the end of the file are not hashed.
    if (ferror(stream))
        return 0;
    return ~crc;
}

}  // namespace vorn
