// The small package of ten members the stub harness writes into every stub
// it is given (and the reproducers were made with).
#pragma once
#include <cstdint>

#include "packer/bytes.h"

namespace vorn::fuzz {

struct HarnessPackage {
    Bytes bytes;
    uint32_t crc = 0;
};

const HarnessPackage& TheHarnessPackage();

}  // namespace vorn::fuzz
