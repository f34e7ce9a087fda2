// The engine's user-interface seam, unconnected.
#include "common/ui_seam.h"

namespace vorn {

ExtractionUi extractionUi = {
    [](const char*) {},
    [](FILE*) {},
    [](int) {},
    {[](void*) { return 1; }, [](void*, uint32_t, uint32_t) {}, [](void*) {}, nullptr},
};

int mainBarFill;
int32_t packageLength;

}  // namespace vorn
