// The file-system rules around extraction: the destination folder, what
// happens to an existing file of a member's name, and the rollback of a
// failed or aborted run.
#pragma once

namespace vorn {

// StepDone: the folder is ready (created when missing: folderCreated is then
// set); StepBackToOptions: its creation failed and box [1] was shown.
int CreateDestinationFolder();

// Before a member is written to destPath: StepDone, write it (the path is
// free, will be overwritten, or its old file was moved into the backup
// folder); StepKeepExisting, leave the existing settings file in place and
// skip the member; StepBackToOptions, a backup step failed and box [6] or [7]
// was shown.
int CheckExistingFile(const char* destPath);

// Closes both streams, deletes the temporary file and every destination file
// this run wrote, and removes the folder when this run created it. Never shows
// a message; safe to run twice.
void RollBack();

}  // namespace vorn
