// The package markers of an installer file, for tests that alter or time it.
#include "tests/e2e/driver/package_markers.h"

namespace vorn::e2e {

std::vector<size_t> MarkerOffsets(const std::string& bytes)
{
    static const char marker[] = "ARNI";
    std::vector<size_t> offsets;
    int matched = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != marker[matched]) {
            matched = 0;
        } else if (++matched == 4) {
            offsets.push_back(i - 3);
            matched = 0;
        }
    }
    return offsets;
}

}  // namespace vorn::e2e
