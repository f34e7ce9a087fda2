// Raw-data resources of the installer's own module.
#include "common/raw_data.h"

#include "common/process_handles.h"

namespace vorn {

// No test between the calls: given the null handle of a missing resource,
// SizeofResource returns 0 and LoadResource null, and LockResource returns
// the null it is given (the stub has no room for three tests).
const void* LockRawData(int id, DWORD* size)
{
    HINSTANCE module = appInstance;  // read once: the calls cannot change it
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
    *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

}  // namespace vorn
