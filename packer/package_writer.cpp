// Package building and checking for the packer.
#include "packer/package_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "package/crc32.h"
#include "package/marker.h"
#include "package/member_table.h"
#include "package/package_scan.h"
#include "packer/member_check.h"

namespace vorn {
namespace {

bool ReadFile(const std::string& path, Bytes* bytes, std::string* error)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    bytes->clear();
    uint8_t block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    bool failed = ferror(f);
    fclose(f);
    if (failed)
        *error = path + ": read error";
    return !failed;
}

void AppendMarker(Bytes& out)
{
    out.insert(out.end(), PackageMarker, PackageMarker + kMarkerLength);
}

// The CRC an installer carries in its version information, looked for behind
// the package: the key in UTF-16 with its terminating zero, zero padding,
// then eight hex digits in UTF-16 and a terminating zero.
bool FindCarriedCrc(const Bytes& file, size_t from, uint32_t* crc)
{
    Bytes key;
    for (const char* c = kCarriedCrcKey;; ++c) {
        key.push_back(static_cast<uint8_t>(*c));
        key.push_back(0);
        if (!*c)
            break;
    }
    auto at = std::search(file.begin() + static_cast<ptrdiff_t>(from), file.end(), key.begin(), key.end());
    if (at == file.end())
        return false;
    size_t p = static_cast<size_t>(at - file.begin()) + key.size();
    while (p + 1 < file.size() && file[p] == 0 && file[p + 1] == 0)
        p += 2;
    uint32_t value = 0;
    for (int digit = 0; digit < 8; ++digit, p += 2) {
        if (p + 1 >= file.size() || file[p + 1] != 0 || !isxdigit(file[p]))
            return false;
        int c = file[p];
        value = value * 16 + static_cast<uint32_t>(isdigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    if (p + 1 >= file.size() || file[p] != 0 || file[p + 1] != 0)
        return false;
    *crc = value;
    return true;
}

}  // namespace

bool BuildPackage(const std::string& payloadDir, BuiltPackage* package, std::string* error)
{
    package->bytes.clear();
    package->members.clear();
    Bytes hashed;
    AppendMarker(package->bytes);
    for (const char* name : kMemberNames) {
        std::string path = payloadDir + "/" + name;
        Bytes data, stream;
        if (!ReadFile(path, &data, error))
            return false;
        if (!EncodeMember(data, &stream, error)) {
            *error = path + ": " + *error;
            return false;
        }
        package->bytes.insert(package->bytes.end(), stream.begin(), stream.end());
        hashed.insert(hashed.end(), stream.begin(), stream.end());
        AppendMarker(package->bytes);
        package->members.push_back({name, data.size(), stream.size()});
    }
    AppendMarker(package->bytes);
    package->bytes.push_back('\r');
    package->bytes.push_back('\n');
    package->crc = Crc32(hashed.data(), hashed.size());
    return true;
}

bool CheckPackageFile(const std::string& path, CheckedPackage* package, std::string* error,
                      const uint32_t* expectedCrc)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    package->crc = ScanPackageStream(f);
    fclose(f);
    Bytes file;
    if (!ReadFile(path, &file, error))
        return false;
    if (package->crc == 0) {
        *error = path + ": no package: no marker, or nothing between the markers";
        return false;
    }

    // Split as the pump does: bytes before the first marker are dropped, a
    // member ends at the next marker, an empty member is the closing pair.
    std::vector<Bytes> members;
    MarkerMatcher matcher;
    bool open = false, closed = false;
    Bytes current;
    size_t end = 0;  // behind the closing pair
    for (uint8_t b : file) {
        ++end;
        int pending = 0;
        MatchStep step = FeedMatcher(matcher, b, &pending);
        if (step == MatchStep::Pending)
            continue;
        if (step == MatchStep::Marker) {
            if (open && current.empty()) {
                closed = true;
                break;
            }
            if (open)
                members.push_back(std::move(current));
            current.clear();
            open = true;
            continue;
        }
        if (open) {
            current.insert(current.end(), PackageMarker, PackageMarker + pending);
            current.push_back(b);
        }
    }
    if (!closed) {
        *error = path + ": the package has no closing double marker";
        return false;
    }
    if (members.size() != kMemberNames.size()) {
        *error = path + ": " + std::to_string(members.size()) + " members instead of ten" +
                 (members.size() > kMemberNames.size() ? " (a marker ahead of the package?)"
                                                       : " (a partial marker pending ahead of it?)");
        return false;
    }
    package->carriesCrc = FindCarriedCrc(file, end, &package->carriedCrc);
    char text[128];
    if (package->carriesCrc && package->crc != package->carriedCrc) {
        snprintf(text, sizeof text, ": package CRC 0x%08X differs from the 0x%08X the installer carries",
                 package->crc, package->carriedCrc);
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
    for (size_t i = 0; i < members.size(); ++i) {
        Bytes decoded;
        std::string fault;
        if (CheckMemberStream(members[i], &decoded, &fault) != MemberCheck::Decoded) {
            *error = path + ": member " + std::to_string(i) + " (" + kMemberNames[i] + ") " + fault;
            return false;
        }
        package->members.push_back({kMemberNames[i], decoded.size(), members[i].size()});
        package->contents.push_back(std::move(decoded));
    }
    return true;
}

}  // namespace vorn
