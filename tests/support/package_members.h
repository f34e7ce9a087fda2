// A package's bytes taken apart and put together by the installer's own
// marker matcher, for tests that alter, cut or time a package (portable: the
// native tests use it too).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "package/member_table.h"  // kMemberNames: the ten members' file names, in package order

namespace vorn::test {

using Bytes = std::vector<unsigned char>;

// The four marker bytes.
Bytes Marker();

// Offsets of the first byte of every marker the matcher finds, in file order.
std::vector<size_t> MarkerOffsets(const unsigned char* bytes, size_t size);
inline std::vector<size_t> MarkerOffsets(const Bytes& bytes) { return MarkerOffsets(bytes.data(), bytes.size()); }
inline std::vector<size_t> MarkerOffsets(const std::string& bytes)
{
    return MarkerOffsets(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The members as the extraction pump reads them: bytes before the first
// marker dropped, each member up to the next marker, the closing pair (an
// empty member) ending the package; without it the last member runs to the
// end of the bytes, a partial marker pending there included.
std::vector<Bytes> SplitMembers(const unsigned char* bytes, size_t size);
inline std::vector<Bytes> SplitMembers(const Bytes& bytes) { return SplitMembers(bytes.data(), bytes.size()); }

// Marker, member, ... marker, member, the closing pair and CR LF.
Bytes JoinPackage(const std::vector<Bytes>& members);

}  // namespace vorn::test
