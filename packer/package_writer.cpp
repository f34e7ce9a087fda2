// Packages built from payload folders.
#include "packer/package_writer.h"

#include "package/crc32.h"
#include "package/marker.h"
#include "package/member_table.h"
#include "packer/fs/file_reader.h"
#include "packer/member_encoder.h"

namespace vorn {
namespace {

void AppendMarker(Bytes& out)
{
    out.insert(out.end(), PackageMarker, PackageMarker + kMarkerLength);
}

}  // namespace

bool BuildPackage(const std::string& payloadDir, BuiltPackage* package, std::string* error)
{
    package->bytes.clear();
    package->members.clear();
    Bytes hashed;
    AppendMarker(package->bytes);
    for (const char* name : kMemberNames) {
        std::string path = JoinPath(payloadDir, name);
        Bytes data, stream;
        if (!ReadFileBytes(path, &data, error))
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

}  // namespace vorn
