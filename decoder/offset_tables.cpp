// The decoder's offset tables, built at run time: the installer then carries
// 512 bytes less. Apart from the decoder, which is compiled for speed, so
// that this loop is compiled small.
#include "decoder/offset_code.h"

namespace vorn {

void BuildOffsetTables(OffsetTables& t)
{
    FillOffsetTables(t);
}

}  // namespace vorn
