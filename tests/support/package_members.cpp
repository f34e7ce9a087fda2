// Packages taken apart and joined with the installer's marker matcher.
#include "tests/support/package_members.h"

#include "package/marker.h"

namespace vorn::test {

Bytes Marker()
{
    return Bytes(PackageMarker, PackageMarker + kMarkerLength);
}

std::vector<size_t> MarkerOffsets(const unsigned char* bytes, size_t size)
{
    std::vector<size_t> offsets;
    MarkerMatcher matcher;
    for (size_t i = 0; i < size; ++i) {
        int pending = 0;
        if (FeedMatcher(matcher, bytes[i], &pending) == MatchStep::Marker)
            offsets.push_back(i + 1 - kMarkerLength);
    }
    return offsets;
}

std::vector<Bytes> SplitMembers(const unsigned char* bytes, size_t size)
{
    // Between two markers the matcher finds, every byte is member data.
    std::vector<size_t> markers = MarkerOffsets(bytes, size);
    markers.push_back(size);  // the end of the bytes closes the last member
    std::vector<Bytes> members;
    for (size_t i = 0; i + 1 < markers.size(); ++i) {
        size_t begin = markers[i] + kMarkerLength, end = markers[i + 1];
        if (begin == end && i + 2 < markers.size())
            break;  // the closing pair
        members.emplace_back(bytes + begin, bytes + end);
    }
    return members;
}

Bytes JoinPackage(const std::vector<Bytes>& members)
{
    const Bytes marker = Marker();
    Bytes out;
    for (const Bytes& m : members) {
        out.insert(out.end(), marker.begin(), marker.end());
        out.insert(out.end(), m.begin(), m.end());
    }
    out.insert(out.end(), marker.begin(), marker.end());
    out.insert(out.end(), marker.begin(), marker.end());
    out.push_back('\r');
    out.push_back('\n');
    return out;
}

}  // namespace vorn::test
