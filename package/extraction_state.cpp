// The extraction pump's one state record and its reset at every Install.
#include "package/extraction_state.h"

#include <cstring>

namespace vorn {

ExtractionState extraction;

void ResetExtraction()
{
    // Zeroing covers the counters, the flags, the written-member record and
    // both texts; the streams are dropped without closing.
    std::memset(&extraction, 0, sizeof extraction);
}

}  // namespace vorn
