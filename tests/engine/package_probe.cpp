// A stand-in installer for the package check: it carries the demo package as
// raw-data resource 4, runs OpenPackage on its own file and exits with the
// number of the box it showed (0: the package stream is open; 99: opened, but
// the status line, the main bar (at 0 of the file's length) or the stream
// position were not as expected).
//   package_probe [--move-self NEWPATH]   moves its own file away first
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/process_handles.h"
#include "common/ui_seam.h"
#include "package/extraction_state.h"
#include "package/open_package.h"
#include "package_crc.h"  // the demo package's: vorn::ExpectedPackageCrc

namespace {

int shownBox;
std::string status;
int64_t barPosition = -1;
int64_t barLength = -1;

}  // namespace

int main(int argc, char** argv)
{
    using namespace vorn;
    appInstance = GetModuleHandleA(nullptr);
    if (argc > 2 && std::strcmp(argv[1], "--move-self") == 0) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        if (!MoveFileA(self, argv[2]))
            return 98;
    }
    extractionUi.ShowError = [](int number) { shownBox = number; };
    extractionUi.SetStatus = [](const char* text) { status = text; };
    extractionUi.MoveMainBar = [](int64_t position, int64_t length) {
        barPosition = position;
        barLength = length;
    };
    ResetExtraction();
    if (!OpenPackage(ExpectedPackageCrc))
        return shownBox ? shownBox : 97;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    HANDLE file = CreateFileA(self, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const int64_t length = file != INVALID_HANDLE_VALUE ? GetFileSize(file, nullptr) : -3;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    bool sound = status == "Scanning files..." && barPosition == 0 && barLength == length &&
                 extraction.packageStream && ftell(extraction.packageStream) == 0;
    std::printf("%s\n", InstallerPath);
    return sound ? 0 : 99;
}
