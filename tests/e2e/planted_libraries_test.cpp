// Libraries planted beside the installer under system libraries' names: a
// recording stand-in under each name in turn, native first as Windows'
// own search would find it, and the whole wizard walked (Browse, Install
// with icons, Finish with help and launch). The installer may load a planted
// library only where a program that imports nothing but kernel32 and user32
// loads it too: that reference runs in the same test, so what Wine's own
// start-up and window code load by themselves is measured, not assumed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"
#include "tests/support/help_window.h"

namespace vorn::e2e {
namespace {

// Names such planted libraries take: libraries that programs, the system's
// own libraries and the common dialogs load by name, none of them on the
// list that Windows only ever takes from the system folder.
const char* const kPlantedNames[] = {
    "uxtheme.dll", "version.dll", "dwmapi.dll",   "cryptbase.dll", "propsys.dll",  "userenv.dll",
    "profapi.dll", "comctl32.dll", "winspool.drv", "msimg32.dll",  "shlwapi.dll",  "shcore.dll",
    "dbghelp.dll", "wininet.dll", "winmm.dll",    "iphlpapi.dll",  "secur32.dll",  "netapi32.dll",
    "mpr.dll",     "oleaut32.dll", "setupapi.dll", "riched20.dll", "textshaping.dll", "dwrite.dll",
    "ntmarta.dll", "wsock32.dll", "apphelp.dll",
};

constexpr char kReference[] = "two_imports.exe";
constexpr char kInstaller[] = "vornsetup-planted.exe";
constexpr char kPickerCaption[] = "Vorn Select Folder";
constexpr int kBrowse = 153, kCreateIcons = 158, kReadHelp = 183, kLaunch = 184;

bool SamePath(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

// Wine's load-order key: the name without ".dll"; other extensions stay.
std::string OverrideKey(const std::string& name)
{
    const size_t dot = name.size() - 4;
    return SamePath(name.substr(dot), ".dll") ? name.substr(0, dot) : name;
}

// Native first for both programs while a case runs; removed again however it ends.
class NativeFirst {
public:
    explicit NativeFirst(const std::string& name) : key_(OverrideKey(name))
    {
        for (const char* exe : {kReference, kInstaller})
            SetDllOverride(exe, key_, "native,builtin");
    }
    ~NativeFirst()
    {
        for (const char* exe : {kReference, kInstaller})
            SetDllOverride(exe, key_, "");
    }

private:
    std::string key_;
};

// Whether the record holds "<library> loaded by <program>".
bool Loaded(const std::string& record, const std::string& library, const std::string& program)
{
    std::string text = ReadFileText(record);
    const std::string wanted = library + " loaded by " + program;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        if (SamePath(text.substr(at, end - at), wanted))
            return true;
        at = end + 2;
    }
    return false;
}

// The libraries a program's import table names, read from its image
// mapped as a resource (nothing of it runs, nothing it names is loaded).
std::vector<std::string> ImportedLibraries(const std::string& program)
{
    HMODULE mapped = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!mapped)
        return {};
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(mapped) & ~ULONG_PTR{3});
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress)
        for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name;
             ++d)
            names.push_back(reinterpret_cast<const char*>(base + d->Name));
    FreeLibrary(mapped);
    return names;
}

std::string Joined(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

class PlantedLibraries : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(inputs.libraryProbe.empty() || inputs.twoImports.empty())
            << "needs --library-probe and --two-imports";
        RemoveTree(root_);
        CreateDirectoryA(kRunFolder, nullptr);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    }
    void TearDown() override
    {
        ClearInstallation();
        RemoveTree(root_);
    }

    std::string FolderFor(const std::string& name) const { return root_ + "\\" + name.substr(0, name.find('.')); }

    // A fresh folder holding the stand-in under `name` and both programs.
    std::string Plant(const std::string& name)
    {
        const std::string folder = FolderFor(name);
        CreateDirectoryA(folder.c_str(), nullptr);
        bool copied = CopyFileA(inputs.libraryProbe.c_str(), (folder + "\\" + name).c_str(), FALSE) &&
                      CopyFileA(inputs.twoImports.c_str(), (folder + "\\" + kReference).c_str(), FALSE) &&
                      CopyFileA(inputs.installer.c_str(), (folder + "\\" + kInstaller).c_str(), FALSE);
        return copied ? folder : "";
    }

    // The reference run; empty when it started, showed its window and ended with 0.
    std::string RunReference(const std::string& folder)
    {
        Launch launch;
        launch.program = folder + "\\" + kReference;
        launch.env = {{"VORN_LIBRARY_RECORD", folder + "\\reference.txt"}};
        ProgramRun run = RunToExit(launch, kSettleMs);
        if (!run.started)
            return "the reference did not start: " + run.error;
        if (!run.ended || run.exitCode != 0)
            return "the reference ended with " + std::to_string(run.exitCode) + (run.ended ? "" : " (by force)");
        return "";
    }

    // The whole wizard with the library beside the installer; empty when
    // every step took effect, otherwise where the walk stopped.
    std::string WalkInstaller(const std::string& folder, const std::string& name)
    {
        ClearInstallation();
        OpenHelpWindow();  // forgets earlier requests
        Scenario run;
        RunOptions options;
        options.env = {{"VORN_LIBRARY_RECORD", folder + "\\installer.txt"}};
        std::string error;
        if (!run.LaunchFile(folder + "\\" + kInstaller, options, &error)) {
            long code = run.process.handle ? run.WaitExit(kSettleMs) : -1;
            char exit[32];
            snprintf(exit, sizeof exit, "0x%lx", static_cast<unsigned long>(code));
            return "the installer did not start with " + name + " beside it (exit code " + exit + "): " + error;
        }
        if (!run.GoToOptions())
            return "no Options page";
        Click(run.wizard, kBrowse);
        HWND picker = FindDialog(run.process.id, kPickerCaption, kSettleMs);
        if (!picker)
            return "Browse opened no folder picker";
        Click(picker, IDCANCEL);
        if (!WaitUntil([&] { return !IsWindow(picker); }))
            return "Cancel did not close the folder picker";
        if (!ItemChecked(run.wizard, kCreateIcons))
            return "\"Create icons\" is not ticked";
        if (!run.InstallToFinish())
            return "no Finish page after Install (page " + std::to_string(ShownPage(run.wizard)) + ")";
        if (!IsFolder(GroupFolder()))
            return "no program group at " + GroupFolder();
        Click(run.wizard, kReadHelp);
        Click(run.wizard, kLaunch);
        if (!WaitUntil([&] { return ItemChecked(run.wizard, kReadHelp) && ItemChecked(run.wizard, kLaunch); }))
            return "help and launch could not be ticked";
        Click(run.wizard, IDCANCEL);  // "&Finish"
        long code = run.WaitExit();
        if (code != 0)
            return "the installer ended with " + std::to_string(code);
        std::string client;
        if (!WaitUntil([&] { return ReadFileText(kRecordFile, &client) && !client.empty(); }))
            return "the demo client was not started";
        if (HelpRequests().size() != 1)
            return std::to_string(HelpRequests().size()) + " help requests";
        return "";
    }

    const std::string root_ = std::string(kRunFolder) + "\\planted";
};

TEST_F(PlantedLibraries, InstallerLoadsNoneThatATwoImportProgramDoesNot)
{
    const std::vector<std::string> imports = ImportedLibraries(inputs.twoImports);
    ASSERT_EQ(imports.size(), 2u) << "the reference imports " << testing::PrintToString(imports);
    EXPECT_TRUE(SamePath(imports[0], "kernel32.dll") || SamePath(imports[1], "kernel32.dll"));
    EXPECT_TRUE(SamePath(imports[0], "user32.dll") || SamePath(imports[1], "user32.dll"));

    // First what Wine's core loads by itself, name by name.
    std::set<std::string> core;
    for (const char* name : kPlantedNames) {
        SCOPED_TRACE(name);
        const std::string folder = Plant(name);
        ASSERT_FALSE(folder.empty()) << "cannot plant " << name;
        NativeFirst order(name);
        EXPECT_EQ(RunReference(folder), "") << name;
        if (Loaded(folder + "\\reference.txt", folder + "\\" + name, folder + "\\" + kReference))
            core.insert(name);
    }
    printf("Wine's core loads by itself, beside a two-import program: %s\n", Joined(core).c_str());
    RecordProperty("core_loads", Joined(core));
    // Without one recorded load the stand-in could not show any: the checks below would prove nothing.
    ASSERT_FALSE(core.empty()) << "the stand-in recorded no load beside the reference";

    // Then the installer, walked through the whole wizard with each name beside it.
    for (const char* name : kPlantedNames) {
        SCOPED_TRACE(name);
        const std::string folder = FolderFor(name);
        NativeFirst order(name);
        const std::string walk = WalkInstaller(folder, name);
        // A library Wine's core loads by itself is in every program, and its
        // own code may call the stand-in's missing functions: a walk that
        // stops then says nothing about the installer.
        if (core.count(name) && !walk.empty())
            printf("%s, loaded by Wine's core itself: %s\n", name, walk.c_str());
        else
            EXPECT_EQ(walk, "") << name;
        const bool loaded = Loaded(folder + "\\installer.txt", folder + "\\" + name, folder + "\\" + kInstaller);
        EXPECT_TRUE(!loaded || core.count(name))
            << "the installer loaded the " << name << " planted beside it; Wine's core loads by itself only "
            << Joined(core);
    }
}

}  // namespace
}  // namespace vorn::e2e
