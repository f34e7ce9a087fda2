// One run of the installer under test.
#include "tests/e2e/driver/scenario.h"

#include <cstring>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/window_driver.h"

namespace vorn::e2e {

Inputs inputs;

std::string WindowsPath(const std::string& unixPath)
{
    if (unixPath.size() > 1 && unixPath[1] == ':')
        return unixPath;
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool ReadInputs(int argc, char** argv, std::string* missing)
{
    struct Option {
        const char* name;
        std::string* value;
    } options[] = {
        {"--installer", &inputs.installer},       {"--payload", &inputs.payload},
        {"--big-installer", &inputs.bigInstaller}, {"--big-payload", &inputs.bigPayload},
        {"--ctl3d-probe", &inputs.ctl3dProbe},     {"--ctl3d-loader", &inputs.ctl3dLoader},
        {"--licence", &inputs.licence},           {"--signed-installer", &inputs.signedInstaller},
        {"--keys", &inputs.keys},                 {"--library-probe", &inputs.libraryProbe},
        {"--two-imports", &inputs.twoImports},
    };
    for (int i = 1; i + 1 < argc; ++i)
        for (Option& o : options)
            if (strcmp(argv[i], o.name) == 0)
                *o.value = WindowsPath(argv[i + 1]);
    if (inputs.installer.empty() || inputs.payload.empty()) {
        *missing = inputs.installer.empty() ? "--installer" : "--payload";
        return false;
    }
    return true;
}

int ShownPage(HWND wizard)
{
    if (ItemVisible(wizard, 130))
        return kWelcome;
    if (ItemVisible(wizard, 140))
        return kLicense;
    if (ItemVisible(wizard, 170))
        return kProgress;
    if (ItemVisible(wizard, 156))
        return kOptions;
    if (ItemVisible(wizard, 180))
        return kFinish;
    return kNoPage;
}

void ClearInstallation()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\vornsetup95.exe");
    RemoveTree("C:\\Vorn");
    DeleteUninstallKey();
    CloseGroupWindows();
    RemoveTree(GroupFolder());
    DeleteFileA(kRecordFile);
}

namespace {

void SetShellVersion(const std::string& exeName, bool newShell)
{
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    if (!newShell) {
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(h, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win95"), 6);
        RegCloseKey(h);
    }
}

}  // namespace

void SetDllOverride(const std::string& exeName, const std::string& library, const std::string& order)
{
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides";
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (order.empty())
        RegDeleteValueA(h, library.c_str());
    else
        RegSetValueExA(h, library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                       static_cast<DWORD>(order.size() + 1));
    RegCloseKey(h);
}

Scenario::~Scenario()
{
    if (process.handle) {
        DWORD code;
        if (!test::WaitExit(&process, 100, &code))
            Kill(&process);
    }
    CloseGroupWindows();
}

bool Scenario::Launch(const RunOptions& options, std::string* error)
{
    CreateDirectoryA(kRunFolder, nullptr);
    std::string target = std::string(kRunFolder) + "\\" + options.exeName;
    const std::string& source =
        !options.source.empty() ? options.source : options.bigPackage ? inputs.bigInstaller : inputs.installer;
    if (source.empty()) {
        *error = "no installer given for this scenario";
        return false;
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        *error = "copying " + source + " to " + target + " failed: " + std::to_string(GetLastError());
        return false;
    }
    return LaunchFile(target, options, error);
}

bool Scenario::LaunchFile(const std::string& file, const RunOptions& options, std::string* error)
{
    std::string exeName = file.substr(file.find_last_of('\\') + 1);
    SetShellVersion(exeName, options.newShell);
    test::Launch launch;
    launch.program = program = file;
    launch.workDir = options.workDir;
    launch.env = {{"VORN_DEMO_RECORD", kRecordFile}, {"VORN_DEMO_EXIT", "1"}};
    for (const auto& e : options.env)
        launch.env.push_back(e);
    if (!Start(launch, &process, error))
        return false;
    wizard = FindDialog(process.id, kWizardCaption, 15000);
    if (!wizard) {
        *error = "no wizard dialog captioned \"" + std::string(kWizardCaption) + "\" within 15 s";
        return false;
    }
    return true;
}

// A page's first control shows before the rest of the page is set up; a
// message answered by the wizard's thread marks the end of the change.
bool Scenario::WaitPage(int page, DWORD timeoutMs)
{
    return WaitUntil([&] {
        if (ShownPage(wizard) != page)
            return false;
        DWORD_PTR ignored;
        SendMessageTimeoutA(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSettleMs, &ignored);
        return ShownPage(wizard) == page;
    }, timeoutMs);
}

bool Scenario::GoToOptions()
{
    if (!WaitPage(kWelcome))
        return false;
    Click(wizard, IDOK);
    if (!WaitPage(kLicense))
        return false;
    Click(wizard, IDOK);
    return WaitPage(kOptions);
}

bool Scenario::InstallToFinish(DWORD timeoutMs)
{
    Click(wizard, IDOK);
    return WaitPage(kFinish, timeoutMs);
}

bool Scenario::InstallToBox(MessageBoxSeen* box, DWORD timeoutMs)
{
    Click(wizard, IDOK);
    return WaitMessageBox(process.id, timeoutMs, box);
}

long Scenario::WaitExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (!test::WaitExit(&process, timeoutMs, &code))
        return -1;
    return static_cast<long>(code);
}

}  // namespace vorn::e2e
