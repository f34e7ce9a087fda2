// The engine's user-interface seam, unconnected.
#include "common/ui_seam.h"

namespace vorn {

// The member bar's width must be positive for the decoder, hence 1.
ExtractionUi extractionUi = {
    [](const char*) {},
    [](int64_t, int64_t) {},
    [] { return false; },
    [](int) {},
    {[](void*) { return 1; }, [](void*, uint32_t, uint32_t) {}, [](void*) {}, nullptr},
};

}  // namespace vorn
