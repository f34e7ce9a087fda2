// Fuzz target: the member decoder, as verify and unpack-member run it. Any
// bytes are a member stream: it decodes to exactly its declared size or is
// refused with one line, and what it decodes to (when small) packs and
// decodes back to the same bytes.
#include <string>

#include "fuzz/fuzz_check.h"
#include "packer/member_check.h"
#include "packer/member_encoder.h"
#include "packer/pe/pe_image.h"

// Round trips are for small members: the encoder's optimal parsing is slow
// on large ones, which the decoding alone covers.
constexpr size_t kLargestRoundTrip = 4096;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const vorn::Bytes stream(data, data + size);
    vorn::Bytes decoded;
    std::string fault;
    const vorn::MemberCheck result = vorn::CheckMemberStream(stream, &decoded, &fault);
    FUZZ_CHECK(result != vorn::MemberCheck::NotChecked, fault.c_str());
    if (result == vorn::MemberCheck::NotDecodable) {
        FUZZ_CHECK(!fault.empty() && fault.find('\n') == std::string::npos, "a refusal not of one line");
        return 0;
    }
    FUZZ_CHECK(size >= 4 && decoded.size() == vorn::Read32(stream, 0), "decoded to another size than declared");
    if (decoded.empty() || decoded.size() > kLargestRoundTrip)
        return 0;
    vorn::Bytes packed, again;
    if (!vorn::EncodeMember(decoded, &packed, &fault))
        return 0;  // bytes whose every coding spells the marker: refused, rightly
    FUZZ_CHECK(vorn::FindMarkerFault(packed) == -1, "the encoder broke the marker rules");
    FUZZ_CHECK(vorn::CheckMemberStream(packed, &again, &fault) == vorn::MemberCheck::Decoded && again == decoded,
               "packed and decoded again, the bytes differ");
    return 0;
}
