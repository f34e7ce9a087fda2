// The one place that turns an error number into the box the user sees.
#pragma once

namespace vorn {

// The failure boxes by what went wrong; the value is the number the box's
// caption shows. The numbers 8, 12, 13 and 16 are not used.
enum ErrorNumber : int {
    kErrorFolderNotCreated = 1,        // the destination folder cannot be created
    kErrorInstallerUnreadable = 2,     // the installer file cannot be read for the CRC scan
    kErrorTempFileUnreadable = 3,      // the temporary file cannot be opened for reading
    kErrorDestinationUnwritable = 4,   // the destination file cannot be opened for writing
    kErrorMemberNotWritten = 5,        // a member does not decode, or its bytes are not sound
    kErrorBackupFolderNotCreated = 6,  // the backup folder cannot be created
    kErrorBackupNotMoved = 7,          // an existing file cannot be moved into the backup folder
    kErrorInstallerNotReopened = 9,    // the installer file cannot be opened again for the pump
    kErrorPackageCorrupt = 10,         // the package CRC differs from the one in the CRC slot
    kErrorTempFileNotMade = 11,        // the temporary file cannot be created, or written
    kErrorNoMember = 14,               // the pump found no member
    kErrorIconsNotCreated = 15,        // the Program Manager group cannot be made (a retry question)
};

struct ErrorBox {
    int number;
    const char* caption;
    const char* text;
};

// The box for an error number, or null for a number that has no box.
const ErrorBox* FindErrorBox(int number);

}  // namespace vorn
