// The library search: an installer runs from a downloads folder, where anyone
// can leave a library under a system library's name, so the search is kept
// to the system folder and no library is loaded by its bare name from the
// usual search.
#include "common/system_library.h"

namespace vorn {
namespace {

constexpr DWORD kSearchSystem32 = 0x800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kAlteredSearchPath = 0x8;  // LOAD_WITH_ALTERED_SEARCH_PATH

// Set where the system has SetDefaultDllDirectories, and so knows the
// search flags: older systems may take an unknown flag for none.
bool searchFlagsKnown;

}  // namespace

// Both calls are looked up, so that systems without them still start.
void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = EntryPoint<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories");
    searchFlagsKnown = setDefault != nullptr;
    if (!setDefault || !setDefault(kSearchSystem32))
        if (auto setDirectory = EntryPoint<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA"))
            setDirectory("");  // at least the current directory leaves the search
    // The theme code draws with this library, bound when first drawn through
    // a search that some loaders (Wine's) still start in the program's
    // folder: loaded now from the system folder, it is found loaded then.
    LoadSystemLibrary("msimg32.dll");
}

HMODULE LoadSystemLibrary(const char* name)
{
    // The library and everything it imports from the system folder.
    if (searchFlagsKnown)
        return LoadLibraryExA(name, nullptr, kSearchSystem32);
    // Elsewhere the full path, whose folder the search for its imports then
    // starts in instead of the installer's.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    lstrcpyA(path + length + 1, name);
    return LoadLibraryExA(path, nullptr, kAlteredSearchPath);
}

}  // namespace vorn
