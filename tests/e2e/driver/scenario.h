// One run of the installer as a test sees it: a fresh copy under its chosen
// name on drive C:, started with the demo client's environment, the wizard
// found, moved through its pages, and the run's end awaited.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/window_driver.h"
#include "tests/support/processes.h"
#include "tests/support/wait.h"

namespace vorn::e2e {

using namespace vorn::test;

// A Unix path as Wine sees it on drive Z: ("/a/b" -> "Z:\a\b").
std::string WindowsPath(const std::string& unixPath);

// Where the programs and data come from (Unix paths from the command line,
// converted to Windows paths).
struct Inputs {
    std::string installer;     // the built installer
    std::string payload;       // its payload folder
    std::string bigInstaller;  // the same installer carrying the large payload
    std::string bigPayload;
    std::string signedInstaller;  // the demo installer signed in the build
    std::string ctl3dProbe;    // the recording stand-in "Ctl3d32.dll"
    std::string ctl3dLoader;   // a plain LoadLibraryA("Ctl3d32.dll") program
    std::string libraryProbe;  // the recording stand-in without exports, for any library name
    std::string twoImports;    // the reference program: kernel32 and user32 only
    std::string licence;       // the licence text the installer carries
    std::string keys;          // handshake folder of the real-key typist (with-real-keys.sh)
};
extern Inputs inputs;

// Reads "--name value" options into `inputs`; false names the first missing one.
bool ReadInputs(int argc, char** argv, std::string* missing);

// How long one installation may take from Install to the Finish page or to
// a failure box, the large package's on a loaded machine included.
constexpr DWORD kExtractMs = 60000;

constexpr char kWizardCaption[] = "Vorn v5.82 32bit Installation";
constexpr char kRunFolder[] = "C:\\vorn-e2e";         // the installer copies live here
constexpr char kDefaultFolder[] = "c:\\Vorn";         // proposed for an installer on C:
constexpr char kRecordFile[] = "C:\\vorn-e2e\\client-record.txt";

enum Page { kWelcome = 0, kLicense, kOptions, kProgress, kFinish, kNoPage = -1 };

// Sets (value non-empty) or removes a library's load order for one program
// name: HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides, read by Wine when
// the program starts (the environment's WINEDLLOVERRIDES does not reach a
// program started by another Windows program).
void SetDllOverride(const std::string& exeName, const std::string& library, const std::string& order);

// The page whose group is on show, or kNoPage.
int ShownPage(HWND wizard);

// Clears what earlier runs left: the default folder, the uninstall entry,
// the Program Manager group, the client record.
void ClearInstallation();

struct RunOptions {
    std::string exeName = "vornsetup.exe";
    bool bigPackage = false;
    std::string source;     // the installer to copy; empty: the demo or, with bigPackage, the large one
    bool newShell = false;  // GetVersion 4.0 for this program name (AppDefaults)
    std::string workDir;    // empty: the installer's folder
    std::vector<std::pair<std::string, std::string>> env;
};

class Scenario {
public:
    ~Scenario();
    // Copies the installer, starts it, waits for the wizard. False with a reason.
    bool Launch(const RunOptions& options, std::string* error);
    // Starts an installer file already in place (for altered copies).
    bool LaunchFile(const std::string& program, const RunOptions& options, std::string* error);

    bool WaitPage(int page, DWORD timeoutMs = kSettleMs);
    // Welcome -> License -> Options by button 1.
    bool GoToOptions();
    // Options: Install, then wait for the Finish page (icons from the shell).
    bool InstallToFinish(DWORD timeoutMs = kExtractMs);
    // Options: Install, then wait for a box of the run (a failure or a question).
    bool InstallToBox(MessageBoxSeen* box, DWORD timeoutMs = kExtractMs);
    // Exit code, or -1 when the process did not end in time.
    long WaitExit(DWORD timeoutMs = 15000);

    HWND wizard = nullptr;
    Process process;
    std::string program;  // Windows path of the running copy
};

}  // namespace vorn::e2e
