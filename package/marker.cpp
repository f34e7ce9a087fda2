// Joins the package marker from its two pieces, once, at start-up.
#include "package/marker.h"

namespace vorn {
namespace {

char joined[kMarkerLength + 1];

// Read through volatile pointers so that the optimiser cannot fold the join
// into one four-byte constant, which would put the marker in the code: the
// result is a static initialiser that runs before any code can read it.
const char* JoinMarker()
{
    static const char* volatile head = "A";
    static const char* volatile tail = "RNI";
    const char* h = head;
    const char* t = tail;
    int i = 0;
    while (*h)
        joined[i++] = *h++;
    while (*t)
        joined[i++] = *t++;
    joined[i] = '\0';
    return joined;
}

}  // namespace

const char* const PackageMarker = JoinMarker();

}  // namespace vorn
