// Shared pieces of the engine's Wine tests: a recording user interface in
// place of the wizard's dialog, the temporary files a run made, the demo
// package and payload, and the wizard's way of driving the pump. Files,
// folders and the package's members come from the test support library.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/package_members.h"

namespace vorn::test {

// What the engine showed through the seam.
struct UiRecord {
    std::vector<std::string> statuses;
    std::vector<int> errors;
    std::vector<int64_t> mainBarPositions;  // the position at each MoveMainBar
    int64_t installerLength = 0;            // the length given with the last one
    bool mainBarStarted = false;            // MainBarStarted's answer
    int memberReports = 0;
    // The temporary file's path at each "Extracting file:" line, that is while
    // the member is extracted from it: one entry per member that reached it.
    std::vector<std::string> tempPaths;
};
extern UiRecord ui;

// Puts the recorder into extractionUi and clears the record.
void InstallRecorder();

// Writes the member bytes the pump holds into its temporary file, so that
// the file shows all of them; true when that worked.
bool FlushMemberBytes();

// Names of the installer's temporary files ("vorn*.tmp") in a folder, sorted.
std::vector<std::string> TempFilesIn(const std::string& folder);

// What a run left of its temporary files, one line for each: a path still in
// extraction.tempPath, a recorded one still on disk, a "vorn*.tmp" in the
// temporary folder. Empty when nothing is left.
std::string TempFilesLeft();

// True when the path is a temporary file's: FOLDER "vorn", four hex digits,
// ".tmp", where FOLDER ends in a backslash.
bool IsTempFileIn(const std::string& path, const std::string& folder);

// Points TMP and TEMP, where GetTempPathA looks, at another folder; puts the
// old values back when it goes out of scope.
class TemporaryFolderOverride {
public:
    TemporaryFolderOverride();
    ~TemporaryFolderOverride();
    void PointAt(const std::string& folder) const;
private:
    char tmp_[MAX_PATH] = {};
    char temp_[MAX_PATH] = {};
};

// The demo package and payload of this build.
const Bytes& DemoPackage();
std::string PayloadFile(const std::string& name);

// Install as the wizard does it, with packageFile opened as the package
// stream: settings, reset, status, empty bar, destination folder. Returns the
// result of CreateDestinationFolder (1 ready, 2 failed).
int StartInstall(const std::string& folder, const std::string& packageFile, int makeBackups = 0,
                 int keepSettings = 0);

// Filler that holds no marker byte, so it leaves no partial match pending.
Bytes Filler(size_t length);

// A member stream that declares 100000 bytes and carries `streamBytes` bytes
// of filler as its bits (they decode to that many): a member longer than the
// pump's reading ahead and than one block.
Bytes LongMember(size_t streamBytes);

// Writes `filler` bytes of filler and then the package into dir/name.
std::string WritePackageFile(const ScratchFolder& dir, const std::string& name, const Bytes& package,
                             size_t filler);

// The ten members in `folder` are byte-identical to the payload's files.
void ExpectPayloadInstalled(const std::string& folder);

// The demo package behind filler that puts a slice end inside member 2, so
// that one slice leaves members 0 and 1 written.
std::string PackageStoppingAfterTwoMembers(const ScratchFolder& dir);

// Slices until one ends with members 0 and 1 written and member 2 being
// copied into its temporary file (fatal failure otherwise).
void PumpToTwoMembers();

struct PumpRun {
    int result = -1;  // the first PumpSlice result other than 3
    int slices = 0;
};
// PumpSlice until a result other than 3; on 0 or 2 the wizard's RollBack follows.
PumpRun DrivePump();

}  // namespace vorn::test
