// The package check at Install and the second opening of the installer file.
#include "package/open_package.h"

#include <windows.h>

#include <cstdio>

#include "common/process_handles.h"
#include "common/ui_seam.h"
#include "package/error_boxes.h"
#include "package/extraction_pump.h"
#include "package/package_scan.h"

namespace vorn {

char InstallerPath[kInstallerPathSize];

uint32_t ScanPackage(const char* path)
{
    FILE* stream = fopen(path, "rb");
    if (!stream)
        return 0;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    uint32_t crc = ScanPackageStream(stream);
    SetCursor(previous);
    fclose(stream);
    return crc;
}

bool OpenPackage(uint32_t expectedCrc)
{
    GetModuleFileNameA(appInstance, InstallerPath, kInstallerPathSize);
    uint32_t crc = ScanPackage(InstallerPath);
    if (crc == 0) {
        extractionUi.ShowError(kErrorInstallerUnreadable);
        return false;
    }
    if (crc != expectedCrc) {
        extractionUi.ShowError(kErrorPackageCorrupt);
        return false;
    }
    FILE* stream = fopen(InstallerPath, "rb");
    if (!stream) {
        extractionUi.ShowError(kErrorInstallerNotReopened);
        return false;
    }
    extractionUi.SetStatus("Scanning files...");
    TakePackageStream(stream);
    return true;
}

}  // namespace vorn
