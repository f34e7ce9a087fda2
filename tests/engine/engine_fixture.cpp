// Shared pieces of the engine's Wine tests.
#include "engine_fixture.h"

#include <cstdio>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "package/extract_member.h"
#include "package/existing_files.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/marker.h"

namespace vorn::test {

UiRecord ui;

Bytes ReadFileBytes(const std::string& path)
{
    Bytes out;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        unsigned char block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof block, f)) > 0)
            out.insert(out.end(), block, block + got);
        fclose(f);
    }
    return out;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(const std::string& path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void InstallRecorder()
{
    ui = UiRecord{};
    extractionUi.SetStatus = [](const char* text) { ui.statuses.emplace_back(text); };
    extractionUi.ShowError = [](int number) { ui.errors.push_back(number); };
    extractionUi.DrawMainBar = [](FILE* stream) {
        if (!stream) {
            ++ui.emptyBarDraws;
            return;
        }
        if (packageLength == 0)
            packageLength = FileLength(stream);
        long position = ftell(stream);
        ui.mainBarPositions.push_back(position);
        if (packageLength > 0)
            mainBarFill = static_cast<int>(static_cast<int64_t>(position) * ui.barWidth / packageLength);
    };
    extractionUi.memberBar = {[](void*) { return 160; },
                              [](void*, uint32_t, uint32_t) { ++ui.memberReports; }, [](void*) {},
                              nullptr};
}

TemporaryFolderOverride::TemporaryFolderOverride()
{
    GetEnvironmentVariableA("TMP", tmp_, sizeof tmp_);
    GetEnvironmentVariableA("TEMP", temp_, sizeof temp_);
}

TemporaryFolderOverride::~TemporaryFolderOverride()
{
    SetEnvironmentVariableA("TMP", tmp_[0] ? tmp_ : nullptr);
    SetEnvironmentVariableA("TEMP", temp_[0] ? temp_ : nullptr);
}

void TemporaryFolderOverride::PointAt(const std::string& folder) const
{
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
}

void RemoveTree(const std::string& path)
{
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

ScratchFolder::ScratchFolder(const std::string& name)
{
    CreateDirectoryA("engine-scratch", nullptr);
    char full[MAX_PATH];
    GetFullPathNameA(("engine-scratch\\" + name).c_str(), MAX_PATH, full, nullptr);
    path_ = full;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

const Bytes& DemoPackage()
{
    static const Bytes package = ReadFileBytes(VORN_TEST_PACKAGE);
    return package;
}

std::string PayloadFile(const std::string& name) { return std::string(VORN_TEST_PAYLOAD_DIR) + "\\" + name; }

Bytes Marker()
{
    JoinPackageMarker();
    return Bytes(PackageMarker, PackageMarker + kMarkerLength);
}

std::vector<Bytes> SplitMembers(const Bytes& package)
{
    JoinPackageMarker();
    std::vector<Bytes> members;
    MarkerMatcher m;
    bool open = false;
    for (unsigned char b : package) {
        int pending = 0;
        MatchStep step = FeedMatcher(m, b, &pending);
        if (step == MatchStep::Marker) {
            if (open && members.back().empty()) {  // the closing pair
                members.pop_back();
                break;
            }
            members.emplace_back();
            open = true;
        } else if (step == MatchStep::Data && open) {
            members.back().insert(members.back().end(), PackageMarker, PackageMarker + pending);
            members.back().push_back(b);
        }
    }
    return members;
}

Bytes JoinPackage(const std::vector<Bytes>& members)
{
    Bytes marker = Marker();
    Bytes out;
    for (const Bytes& m : members) {
        out.insert(out.end(), marker.begin(), marker.end());
        out.insert(out.end(), m.begin(), m.end());
    }
    out.insert(out.end(), marker.begin(), marker.end());
    out.insert(out.end(), marker.begin(), marker.end());
    out.push_back('\r');
    out.push_back('\n');
    return out;
}

int StartInstall(const std::string& folder, const std::string& packageFile, int makeBackups, int keepSettings)
{
    installSettings = InstallSettings{};
    lstrcpynA(installSettings.folder, folder.c_str(), kFolderSize);
    installSettings.makeBackups = makeBackups;
    installSettings.keepSettings = keepSettings;
    ResetExtraction();
    ShowScanStatus();
    extractionUi.DrawMainBar(nullptr);
    int r = CreateDestinationFolder();
    if (r != StepDone)
        return r;
    extraction.packageStream = fopen(packageFile.c_str(), "rb");
    if (extraction.packageStream)
        extractionUi.DrawMainBar(extraction.packageStream);  // as OpenPackage does
    return r;
}

PumpRun DrivePump()
{
    PumpRun run;
    do {
        run.result = PumpSlice();
        ++run.slices;
    } while (run.result == StepAgain && run.slices < 100000);
    if (run.result == StepFailed || run.result == StepBackupFailed)
        RollBack();
    return run;
}

}  // namespace vorn::test
