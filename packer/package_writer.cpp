// Package building and checking for the packer.
#include "packer/package_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decoder/adaptive_tree.h"
#include "decoder/member_decoder.h"
#include "decoder/offset_code.h"
#include "package/crc32.h"
#include "package/marker.h"
#include "package/member_table.h"
#include "package/package_scan.h"
#include "packer/installer_image.h"

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

// A temporary file in the maintainer's temporary folder ($TMPDIR, else /tmp;
// tmpfile() would ignore $TMPDIR), unlinked at once so that it goes with its
// stream whatever happens. Null with the reason.
FILE* OpenTemporaryFile(std::string* path, std::string* error)
{
    const char* tmpdir = getenv("TMPDIR");
    std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string name = folder + "/vornpack-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) {
        *error = "cannot create a temporary file in " + folder + ": " + strerror(errno);
        return nullptr;
    }
    unlink(name.c_str());
    FILE* f = fdopen(fd, "w+b");
    if (!f) {
        *error = "cannot open the temporary file " + name + ": " + strerror(errno);
        close(fd);
        return nullptr;
    }
    *path = name;
    return f;
}

// Closes a temporary stream; a close that fails (a write-back that did not
// fit) fails the check when nothing else has.
void CloseTemporary(FILE* f, const std::string& path, bool* ok, std::string* error)
{
    if (f && fclose(f) != 0 && *ok) {
        *error = "not checked: cannot close the temporary file " + path + ": " + strerror(errno);
        *ok = false;
    }
}

// Decodes one member stream as the pump hands it to the decoder: from a file
// into a file. Every write to the two temporary files is checked, so that a
// full temporary folder fails the check instead of feeding the decoder a
// short stream whose missing bytes decode as zeros. False with the reason:
// "does not decode", or "not checked: " and the temporary file's fault.
bool DecodeStream(const Bytes& stream, Bytes* decoded, std::string* error)
{
    std::string inPath, outPath;
    FILE* in = OpenTemporaryFile(&inPath, error);
    FILE* out = in ? OpenTemporaryFile(&outPath, error) : nullptr;
    bool ok = in && out;
    if (!ok)
        *error = "not checked: " + *error;
    auto fail = [&](const std::string& what, const std::string& path) {
        *error = "not checked: " + what + path + ": " + strerror(errno);
        ok = false;
    };
    if (ok && (fwrite(stream.data(), 1, stream.size(), in) != stream.size() || fflush(in) != 0))
        fail("cannot write the member stream to the temporary file ", inPath);
    if (ok) {
        rewind(in);
        MemberProgressSink quiet = {[](void*) { return 1; }, [](void*, uint32_t, uint32_t) {},
                                    [](void*) {}, nullptr};
        bool decodes = DecodeMember(in, out, quiet);
        if (ferror(out) || fflush(out) != 0)
            fail("cannot write the decoded bytes to the temporary file ", outPath);
        else if (ferror(in))
            fail("cannot read the temporary file ", inPath);
        else if (!decodes) {
            *error = "does not decode";
            ok = false;
        }
    }
    if (ok) {
        rewind(out);
        decoded->clear();
        int c;
        while ((c = getc(out)) != EOF)
            decoded->push_back(static_cast<uint8_t>(c));
        if (ferror(out))
            fail("cannot read the temporary file ", outPath);
    }
    CloseTemporary(in, inPath, &ok, error);
    CloseTemporary(out, outPath, &ok, error);
    return ok;
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

// The most bytes a bit stream of this many bytes can code: a match of 60
// bytes takes at least ten bits (a symbol of one bit, an offset of nine), a
// literal at least one. A larger declared size is a damaged header, refused
// before the decoder writes up to 4 GiB for it.
uint64_t MostDecodedBytes(size_t bitStreamBytes)
{
    constexpr int kFewestMatchBits = 1 + OffsetCodeLength(0) + kOffsetLowBits;
    static_assert(kFewestMatchBits == 10);
    return uint64_t{bitStreamBytes} * 8 * kLongestMatch / kFewestMatchBits + kLongestMatch;
}

uint32_t DeclaredSize(const Bytes& stream)
{
    uint32_t size = 0;
    for (size_t i = 0; i < 4 && i < stream.size(); ++i)
        size |= static_cast<uint32_t>(stream[i]) << (8 * i);
    return size;
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
    // The CRC the installer itself compares with, in its CRC slot.
    package->carriesCrcSlot = ReadCrcSlot(file, &package->slotCrc);
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
    for (size_t i = 0; i < members.size(); ++i) {
        Bytes decoded;
        const char* name = kMemberNames[i];
        if (members[i].size() >= 4 && DeclaredSize(members[i]) > MostDecodedBytes(members[i].size() - 4)) {
            *error = path + ": member " + std::to_string(i) + " (" + name + ") declares " +
                     std::to_string(DeclaredSize(members[i])) + " bytes, more than its stream can hold";
            return false;
        }
        std::string fault;
        if (!DecodeStream(members[i], &decoded, &fault)) {
            *error = path + ": member " + std::to_string(i) + " (" + name + ") " + fault;
            return false;
        }
        if (decoded.size() != DeclaredSize(members[i])) {
            *error = path + ": member " + std::to_string(i) + " (" + name + ") decodes to " +
                     std::to_string(decoded.size()) + " bytes, not its declared " +
                     std::to_string(DeclaredSize(members[i]));
            return false;
        }
        package->members.push_back({name, decoded.size(), members[i].size()});
        package->contents.push_back(std::move(decoded));
    }
    return true;
}

}  // namespace vorn
