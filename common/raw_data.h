// The installer's own raw-data resources by identifier: the licence text and
// the CRC slot (Windows side only).
#pragma once
#include <windows.h>

namespace vorn {

// The bytes of raw-data resource id of appInstance and their count in *size;
// null when there is no such resource.
const void* LockRawData(int id, DWORD* size);

}  // namespace vorn
