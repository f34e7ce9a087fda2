// The packer's one byte-buffer type: files, members, packages and images are
// all read, built and written as these.
#pragma once
#include <cstdint>
#include <vector>

namespace vorn {

using Bytes = std::vector<uint8_t>;

}  // namespace vorn
