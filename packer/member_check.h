// One member stream decoded the way the installer decodes it, from a file
// into a file, with the checks the installer leaves out: the declared size
// bounded by what the stream can code, and the decoded bytes counted.
#pragma once
#include <string>

#include "packer/bytes.h"

namespace vorn {

enum class MemberCheck {
    Decoded,       // the stream decodes to exactly its declared size
    NotDecodable,  // fault says why the stream is refused
    NotChecked,    // a temporary file failed; fault names it and says how
};

// Decodes stream into *decoded. On anything but Decoded, fault is one line:
// "declares N bytes, more than its stream can hold", "does not decode",
// "decodes to N bytes, not its declared M", or "not checked: " and the
// temporary file's fault.
MemberCheck CheckMemberStream(const Bytes& stream, Bytes* decoded, std::string* fault);

}  // namespace vorn
