// Routes a function that the test program imports to a stand-in.
#include "import_patch.h"

#include <windows.h>

#include <cstring>

namespace vorn::test {
namespace {

// The import table slot through which the program calls library!function,
// or null.
void** FindSlot(const char* library, const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), library) != 0)
            continue;
        // The names, in the table the loader leaves alone, beside the slots it fills.
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; d->OriginalFirstThunk && name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slot->u1.Function);
        }
    }
    return nullptr;
}

// Writes the slot, which the loader may have left read-only.
bool Put(void** slot, void* value)
{
    DWORD old;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

}  // namespace

ImportPatch::ImportPatch(const char* library, const char* function, void* standIn)
{
    void** slot = FindSlot(library, function);
    if (!slot)
        return;
    original_ = *slot;
    if (Put(slot, standIn))
        slot_ = slot;
}

ImportPatch::~ImportPatch()
{
    if (slot_)
        Put(slot_, original_);
}

}  // namespace vorn::test
