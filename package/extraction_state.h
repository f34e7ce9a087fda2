// The extraction pump's single global state, cleared at every Install.
#pragma once
#include <cstdio>

#include "common/install_state.h"
#include "decoder/byte_stream.h"
#include "package/member_table.h"
#include "package/temp_file.h"

namespace vorn {

// The pump stops after the last member of the table, the tenth.
constexpr int kMemberLimit = static_cast<int>(kMemberNames.size());

struct ExtractionState {
    FILE* packageStream;          // the installer file, opened a second time for the pump
    FILE* tempStream;             // the member being copied, "wb", held until it is extracted
    char tempPath[kTempPathSize]; // the run's own temporary file; empty when it has none
    int matchLength;              // marker bytes matched by the last bytes read, 0..3
    int sliceCount;               // bytes read in the current slice, 0..15001
    int memberIndex;              // members handled so far, 0..10
    char memberName[kPathSize];   // name and extension of the member being copied, split at its marker
    char backupFolder[kPathSize]; // empty until the run's first backup
    int folderCreated;            // this run created the destination folder
    int abortPending;             // the abort question is open
    // Kept by the engine beyond the fields above, for a sound failure path:
    int memberBytes;              // bytes copied into the current member's temporary file
    // This run wrote the member's destination file: the rollback deletes only these.
    int memberWritten[kMemberLimit];
    // The byte path's blocks: the installer file read ahead (its bytes taken
    // so far are the main bar's position), and member bytes on their way into
    // the temporary file.
    int64_t installerLength;      // bytes in the installer file, measured when the pump takes it
    BlockReader packageBlock;
    BlockWriter tempBlock;
};

extern ExtractionState extraction;

// What the pump is waiting for: told by which of its streams are open.
enum class PumpMode {
    SeekingFirstMarker,  // bytes are read and dropped until a marker opens member 0
    CopyingMember,       // member memberIndex's bytes go to its temporary file until the next marker
    Closed,              // finished, failed or rolled back: the package stream is closed
};

inline PumpMode CurrentPumpMode()
{
    if (!extraction.packageStream)
        return PumpMode::Closed;
    return extraction.tempStream ? PumpMode::CopyingMember : PumpMode::SeekingFirstMarker;
}

// Clears the state for a new run (streams are dropped, not closed: it runs only
// at Install and right after RollBack).
void ResetExtraction();

}  // namespace vorn
