// The wizard's template as the dialog font maps it: the driver creates a
// hidden copy of the installer's own INSTALL_DLG template in its own process
// (MapDialogRect does not reach another process's dialog under Wine) and
// measures through it.
#pragma once
#include <windows.h>

#include <string>

namespace vorn::e2e {

class WizardReference {
public:
    ~WizardReference();
    // Loads INSTALL_DLG from the installer file; false with a reason.
    bool Load(const std::string& installer, std::string* error);
    // A rectangle in dialog units mapped to pixels (x, y, width, height in; RECT out).
    RECT Map(int x, int y, int width, int height) const;
    // The control's rectangle in the reference dialog's client area (pixels).
    RECT Item(int id) const;
    bool HasItem(int id) const { return GetDlgItem(dialog_, id) != nullptr; }

private:
    HWND dialog_ = nullptr;
};

}  // namespace vorn::e2e
