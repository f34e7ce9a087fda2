// The library search of the installer: restricted to the system folder at
// start-up, and the libraries loaded at run time taken from there only.
#pragma once
#include <windows.h>

namespace vorn {

// Keeps the installer's own folder and the current directory out of the
// library search, where the system allows it. Called first at start-up.
void RestrictLibrarySearch();

// The library `name` ("comdlg32.dll") from the system folder, with what it
// imports from there too; null when it cannot be had.
HMODULE LoadSystemLibrary(const char* name);

// An entry point of `module` as a function pointer; null for a null module
// or a missing name.
template <typename Function>
Function EntryPoint(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace vorn
