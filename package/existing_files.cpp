// The destination folder, existing files and backups, and the rollback.
#include "package/existing_files.h"

#include <windows.h>

#include <cstring>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "package/error_boxes.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/member_path.h"
#include "package/temp_file.h"

namespace vorn {
namespace {

// Case-sensitive substring search over the whole path, folder included.
bool IsSettingsFile(const char* path)
{
    return std::strstr(path, ".ini") != nullptr;
}

// Sets up the run's backup folder at its first use; false when it cannot be created.
bool PrepareBackupFolder()
{
    if (extraction.backupFolder[0])
        return true;
    wsprintfA(extraction.backupFolder, "%s\\backup", installSettings.folder);
    // An existing path is used as it is; a plain file in the way makes the
    // moves into it fail, and that is reported as the backup failure it is.
    if (!PathExists(extraction.backupFolder) && !CreateDirectoryA(extraction.backupFolder, nullptr)) {
        extraction.backupFolder[0] = '\0';  // never left half-formed, without its backslash
        return false;
    }
    std::strcat(extraction.backupFolder, "\\");
    return true;
}

}  // namespace

int CreateDestinationFolder()
{
    if (PathExists(installSettings.folder))
        return StepDone;
    if (!CreateDirectoryA(installSettings.folder, nullptr)) {
        extractionUi.ShowError(kErrorFolderNotCreated);
        return StepBackToOptions;
    }
    extraction.folderCreated = 1;
    return StepDone;
}

int CheckExistingFile(const char* destPath)
{
    if (!PathExists(destPath))
        return StepDone;
    ClearAttributes(destPath);
    if (installSettings.keepSettings && IsSettingsFile(destPath))
        return StepKeepExisting;
    if (!installSettings.makeBackups)
        return StepDone;
    if (!PrepareBackupFolder()) {
        extractionUi.ShowError(kErrorBackupFolderNotCreated);
        return StepBackToOptions;
    }
    PathParts parts;
    SplitPath(destPath, &parts);
    char backupPath[kPathSize];
    wsprintfA(backupPath, "%s%s%s", extraction.backupFolder, parts.name, parts.extension);
    ClearAttributes(backupPath);
    DeleteWithRetry(backupPath);
    if (!MoveFileA(destPath, backupPath)) {
        extractionUi.ShowError(kErrorBackupNotMoved);
        return StepBackToOptions;
    }
    return StepDone;
}

void RollBack()
{
    DeleteTempFile(extraction.tempStream, extraction.tempPath);
    CloseStream(extraction.packageStream);
    // Only the files this run wrote go: a settings file left in place, or a
    // member never reached, is not this run's to delete.
    while (extraction.memberIndex > 0) {
        int index = --extraction.memberIndex;
        if (index < kMemberLimit && extraction.memberWritten[index]) {
            char path[kPathSize];
            MemberPath(index, path);
            DeleteWithRetry(path);
            extraction.memberWritten[index] = 0;
        }
    }
    if (extraction.folderCreated) {
        if (!RemoveDirectoryA(installSettings.folder))
            RemoveDirectoryA(installSettings.folder);
        extraction.folderCreated = 0;
    }
}

}  // namespace vorn
