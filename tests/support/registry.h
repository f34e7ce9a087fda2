// Registry values read back exactly as stored: type, bytes and data.
#pragma once
#include <windows.h>

#include <string>

namespace vorn::test {

// The installer's uninstall entry, under HKEY_LOCAL_MACHINE.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorn";

struct RegistryValue {
    bool found = false;
    DWORD type = 0;
    DWORD bytes = 0;   // as stored, a text's NUL included
    std::string data;  // the stored bytes, all of them
};

RegistryValue ReadRegistryValue(HKEY root, const char* key, const char* name);
bool RegistryKeyExists(HKEY root, const char* key);

// The uninstall entry's key and values.
inline bool UninstallKeyExists() { return RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }
inline void DeleteUninstallKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey); }
inline RegistryValue ReadUninstallValue(const char* name)
{
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, name);
}

// A text value as stored: the text and its terminating NUL.
inline std::string StoredText(const std::string& text) { return text + '\0'; }

}  // namespace vorn::test
