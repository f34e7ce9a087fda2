// Fuzz target: the installer's marker scan. Any bytes are a file: the scan
// over a stream (blocks of 1024, its matcher carried across) and the
// packer's splitter agree on the CRC, the splitter's members are what the
// test splitter finds, and a closed package is its markers and members again.
#include <cstdio>

#include "fuzz/fuzz_check.h"
#include "package/marker.h"
#include "package/package_scan.h"
#include "packer/package_reader.h"
#include "tests/support/package_members.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const vorn::Bytes file(data, data + size);
    FILE* stream = tmpfile();
    FUZZ_CHECK(stream && fwrite(data, 1, size, stream) == size && fseek(stream, 0, SEEK_SET) == 0,
               "no scratch stream");
    const uint32_t scanned = vorn::ScanPackageStream(stream);
    fclose(stream);
    const vorn::PackageSplit split = vorn::SplitPackage(file);
    FUZZ_CHECK(scanned == split.crc, "the scan and the splitter differ on the CRC");

    FUZZ_CHECK(vorn::test::SplitMembers(file) == split.members, "the splitters differ on the members");
    if (split.closed) {
        vorn::Bytes joined;
        const vorn::Bytes marker(vorn::PackageMarker, vorn::PackageMarker + vorn::kMarkerLength);
        for (const vorn::Bytes& m : split.members) {
            joined.insert(joined.end(), marker.begin(), marker.end());
            joined.insert(joined.end(), m.begin(), m.end());
        }
        joined.insert(joined.end(), marker.begin(), marker.end());
        joined.insert(joined.end(), marker.begin(), marker.end());
        FUZZ_CHECK(split.end - split.start == joined.size() &&
                       std::equal(joined.begin(), joined.end(), file.begin() + static_cast<ptrdiff_t>(split.start)),
                   "the closed package is not its markers and members");
    }
    return 0;
}
