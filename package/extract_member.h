// One member from its temporary file (flushed, and still held open by the
// pump so that no one else writes to it) to its destination file: the
// status line, the existing-file check, the decode and the help index clean-up.
#pragma once

namespace vorn {

// Sets the status line for the member about to be copied ("Scanning file:
// NAME.EXT" once the main bar has moved, "Scanning files..." before) and keeps
// the member's name and extension for its "Extracting file:" line.
void ShowScanStatus();

// Handles member memberIndex from the temporary file, into which the pump
// copied tempBytes bytes: 1 handled (written, or its existing file kept) and
// memberIndex advanced; 2 a backup step failed and was reported; 0 failed,
// the rollback ran and a box was shown.
int ExtractMember(const char* tempPath, int tempBytes);

// Decodes the temporary file, which must hold exactly tempBytes bytes, into
// destPath: 1 written; 0 failed, the rollback ran and box [3], [4] or [5]
// was shown.
int WriteMember(const char* tempPath, int tempBytes, const char* destPath);

}  // namespace vorn
