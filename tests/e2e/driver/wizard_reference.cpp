// The installer's wizard template, instantiated hidden in the driver.
#include "tests/e2e/driver/wizard_reference.h"

#include <vector>

namespace vorn::e2e {
namespace {

INT_PTR CALLBACK ReferenceProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

WizardReference::~WizardReference()
{
    if (dialog_)
        DestroyWindow(dialog_);
}

bool WizardReference::Load(const std::string& installer, std::string* error)
{
    HMODULE module = LoadLibraryExA(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        *error = "cannot load " + installer + " as data: " + std::to_string(GetLastError());
        return false;
    }
    HRSRC found = FindResourceA(module, "INSTALL_DLG", reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        FreeLibrary(module);
        *error = "no INSTALL_DLG dialog resource in " + installer;
        return false;
    }
    DWORD size = SizeofResource(module, found);
    std::vector<BYTE> copy(static_cast<const BYTE*>(bytes), static_cast<const BYTE*>(bytes) + size);
    FreeLibrary(module);
    // A classic template starts with its style; keep the copy out of sight.
    reinterpret_cast<DLGTEMPLATE*>(copy.data())->style &= ~WS_VISIBLE;
    dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(copy.data()),
                                         nullptr, ReferenceProc, 0);
    if (!dialog_) {
        *error = "CreateDialogIndirectParamA on the INSTALL_DLG copy failed: " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

RECT WizardReference::Map(int x, int y, int width, int height) const
{
    // Position and size are mapped apart, as the dialog manager maps a
    // template's controls (mapping the right edge would round differently).
    RECT r = {x, y, width, height};
    MapDialogRect(dialog_, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT WizardReference::Item(int id) const
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog_, id), &r);
    MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace vorn::e2e
