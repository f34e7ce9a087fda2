// Registry values read back for the Windows tests.
#include "tests/support/registry.h"

namespace vorn::test {

RegistryValue ReadRegistryValue(HKEY root, const char* key, const char* name)
{
    RegistryValue value;
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return value;
    char data[2048] = {};
    value.bytes = sizeof data;
    value.found = RegQueryValueExA(h, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &value.bytes) ==
                  ERROR_SUCCESS;
    value.data.assign(data, value.found ? value.bytes : 0);
    if (!value.found)
        value.bytes = 0;
    RegCloseKey(h);
    return value;
}

bool RegistryKeyExists(HKEY root, const char* key)
{
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

}  // namespace vorn::test
