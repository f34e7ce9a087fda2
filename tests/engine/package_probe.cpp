// A stand-in installer for the package check: it carries the demo package as
// raw-data resource 4, runs OpenPackage on its own file and exits with the
// number of the box it showed (0: the package stream is open; 99: opened, but
// the status line, the main bar or the stream position were not as expected).
//   package_probe [--move-self NEWPATH]   moves its own file away first
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/process_handles.h"
#include "common/ui_seam.h"
#include "package/extraction_state.h"
#include "package/open_package.h"

namespace {

int shownBox;
std::string status;
long barPosition = -1;

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
    extractionUi.DrawMainBar = [](FILE* stream) { barPosition = stream ? ftell(stream) : -2; };
    ResetExtraction();
    if (!OpenPackage())
        return shownBox ? shownBox : 97;
    bool sound = status == "Scanning files..." && barPosition == 0 && extraction.packageStream &&
                 ftell(extraction.packageStream) == 0;
    std::printf("%s\n", InstallerPath);
    return sound ? 0 : 99;
}
