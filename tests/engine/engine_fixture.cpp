// Shared pieces of the engine's Wine tests.
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "package/extract_member.h"
#include "package/existing_files.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/member_table.h"

namespace vorn::test {

UiRecord ui;

void InstallRecorder()
{
    ui = UiRecord{};
    extractionUi.SetStatus = [](const char* text) {
        ui.statuses.emplace_back(text);
        if (std::strncmp(text, "Extracting file: ", 17) == 0)
            ui.tempPaths.emplace_back(extraction.tempPath);
    };
    extractionUi.ShowError = [](int number) { ui.errors.push_back(number); };
    // The bar is taken to have moved once it is drawn past the file's first
    // byte; where that is a pixel is the progress display's business.
    extractionUi.MoveMainBar = [](int64_t position, int64_t length) {
        ui.mainBarPositions.push_back(position);
        ui.installerLength = length;
        ui.mainBarStarted = position > 0;
    };
    extractionUi.MainBarStarted = [] { return ui.mainBarStarted; };
    extractionUi.memberBar = {[](void*) { return 160; },
                              [](void*, uint32_t, uint32_t) { ++ui.memberReports; }, [](void*) {},
                              nullptr};
}

bool FlushMemberBytes()
{
    return FlushBlock(extraction.tempBlock, extraction.tempStream) && fflush(extraction.tempStream) == 0;
}

std::vector<std::string> TempFilesIn(const std::string& folder) { return FolderEntries(folder, "vorn*.tmp"); }

std::string TempFilesLeft()
{
    std::string left;
    if (extraction.tempPath[0])
        left += std::string("still named: ") + extraction.tempPath + "\n";
    for (const std::string& path : ui.tempPaths)
        if (Exists(path))
            left += "still there: " + path + "\n";
    for (const std::string& name : TempFilesIn(TemporaryFolder()))
        left += "in the temporary folder: " + name + "\n";
    return left;
}

bool IsTempFileIn(const std::string& path, const std::string& folder)
{
    if (path.size() != folder.size() + 12 || _strnicmp(path.c_str(), folder.c_str(), folder.size()) != 0 ||
        folder.empty() || folder.back() != '\\')
        return false;
    std::string name = path.substr(folder.size());
    return name.compare(0, 4, "vorn") == 0 && name.compare(8, 4, ".tmp") == 0 &&
           std::all_of(name.begin() + 4, name.begin() + 8, [](unsigned char c) { return std::isxdigit(c); });
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

const Bytes& DemoPackage()
{
    static const Bytes package = ReadFileBytes(VORN_TEST_PACKAGE);
    return package;
}

std::string PayloadFile(const std::string& name) { return std::string(VORN_TEST_PAYLOAD_DIR) + "\\" + name; }

Bytes Filler(size_t length)
{
    Bytes out(length);
    for (size_t i = 0; i < length; ++i)
        out[i] = static_cast<unsigned char>(0x42 + i % 100);
    return out;
}

Bytes LongMember(size_t streamBytes)
{
    Bytes member = {0xa0, 0x86, 0x01, 0x00};  // 100000, little-endian
    Bytes bits = Filler(streamBytes);
    member.insert(member.end(), bits.begin(), bits.end());
    return member;
}

std::string WritePackageFile(const ScratchFolder& dir, const std::string& name, const Bytes& package,
                             size_t filler)
{
    Bytes file = Filler(filler);
    file.resize(filler + package.size());
    std::copy(package.begin(), package.end(), file.begin() + static_cast<std::ptrdiff_t>(filler));
    std::string path = dir / name;
    WriteFileBytes(path, file);
    return path;
}

void ExpectPayloadInstalled(const std::string& folder)
{
    for (const char* name : kMemberNames)
        EXPECT_EQ(ReadFileBytes(folder + "\\" + name), ReadFileBytes(PayloadFile(name))) << name;
}

std::string PackageStoppingAfterTwoMembers(const ScratchFolder& dir)
{
    std::vector<Bytes> members = SplitMembers(DemoPackage());
    size_t member2Middle = 4 + members[0].size() + 4 + members[1].size() + 4 + members[2].size() / 2;
    size_t filler = member2Middle < 15001 ? 15001 - member2Middle : 2 * 15001 - member2Middle;
    return WritePackageFile(dir, "installer.bin", DemoPackage(), filler);
}

void PumpToTwoMembers()
{
    int r = StepAgain;
    while (r == StepAgain && extraction.memberIndex < 2)
        r = PumpSlice();
    ASSERT_EQ(r, StepAgain);
    ASSERT_EQ(extraction.memberIndex, 2);
    ASSERT_NE(extraction.tempStream, nullptr);
}

int StartInstall(const std::string& folder, const std::string& packageFile, int makeBackups, int keepSettings)
{
    installSettings = InstallSettings{};
    lstrcpynA(installSettings.folder, folder.c_str(), kFolderSize);
    installSettings.makeBackups = makeBackups;
    installSettings.keepSettings = keepSettings;
    ResetExtraction();
    ShowScanStatus();
    int r = CreateDestinationFolder();
    if (r != StepDone)
        return r;
    if (FILE* stream = fopen(packageFile.c_str(), "rb"))
        TakePackageStream(stream);  // as OpenPackage does
    return r;
}

PumpRun DrivePump()
{
    PumpRun run;
    do {
        run.result = PumpSlice();
        ++run.slices;
    } while (run.result == StepAgain && run.slices < 100000);
    if (run.result == StepFailed || run.result == StepBackToOptions)
        RollBack();
    return run;
}

}  // namespace vorn::test
