// Ten short members, each packed by the member encoder, joined by markers.
#include "fuzz/harness_package.h"

#include <string>

#include "package/crc32.h"
#include "package/member_table.h"
#include "packer/member_encoder.h"
#include "tests/support/package_members.h"

namespace vorn::fuzz {

const HarnessPackage& TheHarnessPackage()
{
    static const HarnessPackage package = [] {
        HarnessPackage p;
        std::vector<Bytes> members;
        Bytes hashed;
        for (const char* name : kMemberNames) {
            const std::string text = std::string("[") + name + "]\r\nkey=value\r\n";
            Bytes stream;
            std::string error;
            if (!EncodeMember(Bytes(text.begin(), text.end()), &stream, &error))
                abort();
            members.push_back(stream);
            hashed.insert(hashed.end(), stream.begin(), stream.end());
        }
        p.bytes = test::JoinPackage(members);
        p.crc = Crc32(hashed.data(), hashed.size());
        return p;
    }();
    return package;
}

}  // namespace vorn::fuzz
