// Packages split with the installer's marker matcher and checked member by member.
#include "packer/package_reader.h"

#include <cstdio>

#include "package/crc32.h"
#include "package/marker.h"
#include "package/member_table.h"
#include "packer/fs/file_reader.h"
#include "packer/pe/carried_crc.h"
#include "packer/member_check.h"

namespace vorn {

PackageSplit SplitPackage(const Bytes& file)
{
    PackageSplit split;
    split.start = file.size();
    MarkerMatcher matcher;
    uint32_t crc = kCrcInitial;
    bool open = false;  // a marker has opened a member
    Bytes current;
    for (split.end = 0; split.end < file.size() && !split.closed;) {
        const uint8_t b = file[split.end++];
        int pending = 0;
        MatchStep step = FeedMatcher(matcher, b, &pending);
        if (step == MatchStep::Pending)
            continue;
        if (step == MatchStep::Marker) {
            if (open && current.empty()) {
                split.closed = true;  // the rest of the file is not the package's
            } else if (open) {
                split.members.push_back(std::move(current));
                current.clear();
            } else {
                split.start = split.end - kMarkerLength;
            }
            open = true;
            continue;
        }
        if (!open)
            continue;  // ahead of the package
        for (int k = 0; k < pending; ++k) {
            current.push_back(static_cast<uint8_t>(PackageMarker[k]));
            crc = CrcUpdate(crc, current.back());
        }
        current.push_back(b);
        crc = CrcUpdate(crc, b);
    }
    if (open && !split.closed) {
        // The file ended inside the last member: the pump keeps a pending
        // partial marker as its data; the scan did not hash it.
        current.insert(current.end(), PackageMarker, PackageMarker + matcher.matched);
        split.members.push_back(std::move(current));
    }
    split.crc = ~crc;
    return split;
}

bool CheckPackageFile(const std::string& path, CheckedPackage* package, std::string* error,
                      const uint32_t* expectedCrc)
{
    Bytes file;
    return ReadFileBytes(path, &file, error) && CheckPackageBytes(path, file, package, error, expectedCrc);
}

bool CheckPackageBytes(const std::string& path, const Bytes& file, CheckedPackage* package, std::string* error,
                       const uint32_t* expectedCrc)
{
    PackageSplit split = SplitPackage(file);
    package->crc = split.crc;
    // The installer's own verdict on a file with no member byte (CRC 0).
    if (split.crc == 0) {
        *error = path + ": no package: no marker, or nothing between the markers";
        return false;
    }
    if (!split.closed) {
        *error = path + ": the package has no closing double marker";
        return false;
    }
    const size_t count = split.members.size();
    if (count != kMemberNames.size()) {
        *error = path + ": " + std::to_string(count) + " members instead of ten" +
                 (count > kMemberNames.size() ? " (a marker ahead of the package?)"
                                              : " (a partial marker pending ahead of it?)");
        return false;
    }
    // The CRCs a program carries, read as the installer reads its slot and
    // as its version information gives PackageCRC32; a file that is not a
    // program is a bare package and carries none.
    CarriedCrc carried;
    std::string unusable;
    const CarriedCrcRead read = ReadCarriedCrc(file, &carried, &unusable);
    if (read == CarriedCrcRead::Unusable) {
        *error = path + ": " + unusable;
        return false;
    }
    package->carriesCrcSlot = read == CarriedCrcRead::Found;
    package->slotCrc = carried.slot;
    package->carriesCrc = carried.hasText;
    package->carriedCrc = carried.text;
    char text[128];
    if (package->carriesCrc && package->crc != package->carriedCrc) {
        snprintf(text, sizeof text, ": package CRC 0x%08X differs from the 0x%08X the installer carries",
                 package->crc, package->carriedCrc);
        *error = path + text;
        return false;
    }
    // The CRC the installer itself compares with, in its CRC slot.
    if (package->carriesCrcSlot && package->crc != package->slotCrc) {
        snprintf(text, sizeof text, ": package CRC 0x%08X differs from the 0x%08X in the installer's CRC slot",
                 package->crc, package->slotCrc);
        *error = path + text;
        return false;
    }
    if (expectedCrc && package->crc != *expectedCrc) {
        snprintf(text, sizeof text, ": package CRC 0x%08X differs from the expected 0x%08X", package->crc,
                 *expectedCrc);
        *error = path + text;
        return false;
    }

    package->members.clear();
    package->contents.clear();
    for (size_t i = 0; i < count; ++i) {
        Bytes decoded;
        std::string fault;
        if (CheckMemberStream(split.members[i], &decoded, &fault) != MemberCheck::Decoded) {
            *error = path + ": member " + std::to_string(i) + " (" + kMemberNames[i] + ") " + fault;
            return false;
        }
        package->members.push_back({kMemberNames[i], decoded.size(), split.members[i].size()});
        package->contents.push_back(std::move(decoded));
    }
    return true;
}

}  // namespace vorn
