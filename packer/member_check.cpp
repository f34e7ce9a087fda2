// Member streams decoded through temporary files, with their sizes checked.
#include "packer/member_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "decoder/adaptive_tree.h"
#include "decoder/member_decoder.h"
#include "decoder/offset_code.h"
#include "packer/fs/file_system.h"

namespace vorn {
namespace {

// Decodes one member stream as the pump hands it to the decoder: from a file
// into a file. Every write to the two temporary files is checked, so that a
// full temporary folder fails the check instead of feeding the decoder a
// short stream whose missing bytes decode as zeros.
MemberCheck DecodeStream(const Bytes& stream, Bytes* decoded, std::string* error)
{
    std::string inPath, outPath;
    FILE* in = fs::OpenScratchFile(&inPath, error);
    FILE* out = in ? fs::OpenScratchFile(&outPath, error) : nullptr;
    bool ok = in && out;
    MemberCheck result = ok ? MemberCheck::Decoded : MemberCheck::NotChecked;
    if (!ok)
        *error = "not checked: " + *error;
    auto fail = [&](const std::string& what, const std::string& path) {
        *error = "not checked: " + what + path + ": " + strerror(errno);
        result = MemberCheck::NotChecked;
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
            result = MemberCheck::NotDecodable;
            ok = false;
        }
    }
    if (ok) {
        rewind(out);
        decoded->clear();
        uint8_t block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof block, out)) > 0)
            decoded->insert(decoded->end(), block, block + got);
        if (ferror(out))
            fail("cannot read the temporary file ", outPath);
    }
    // A close that fails (a write-back that did not fit) fails the check
    // when nothing else has.
    for (auto [f, path] : {std::pair{in, inPath}, std::pair{out, outPath}})
        if (f && fclose(f) != 0 && ok)
            fail("cannot close the temporary file ", path);
    return result;
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

MemberCheck CheckMemberStream(const Bytes& stream, Bytes* decoded, std::string* fault)
{
    const uint32_t declared = DeclaredSize(stream);
    if (stream.size() >= 4 && declared > MostDecodedBytes(stream.size() - 4)) {
        *fault = "declares " + std::to_string(declared) + " bytes, more than its stream can hold";
        return MemberCheck::NotDecodable;
    }
    MemberCheck result = DecodeStream(stream, decoded, fault);
    if (result != MemberCheck::Decoded)
        return result;
    if (decoded->size() != declared) {
        *fault = "decodes to " + std::to_string(decoded->size()) + " bytes, not its declared " +
                 std::to_string(declared);
        return MemberCheck::NotDecodable;
    }
    return MemberCheck::Decoded;
}

}  // namespace vorn
