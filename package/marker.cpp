// Joins the package marker from its two pieces.
#include "package/marker.h"

namespace vorn {

char PackageMarker[kMarkerLength + 1];

void JoinPackageMarker()
{
    // Read through volatile pointers so that the optimiser cannot fold the
    // join into one four-byte constant, which would put the marker in the code.
    static const char* volatile head = "A";
    static const char* volatile tail = "RNI";
    const char* h = head;
    const char* t = tail;
    int i = 0;
    while (*h)
        PackageMarker[i++] = *h++;
    while (*t)
        PackageMarker[i++] = *t++;
    PackageMarker[i] = '\0';
}

}  // namespace vorn
