// The extraction pump over the package stream.
#include "package/extraction_pump.h"

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "decoder/byte_stream.h"
#include "package/error_boxes.h"
#include "package/existing_files.h"
#include "package/extract_member.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/marker.h"
#include "package/temp_file.h"

namespace vorn {
namespace {

constexpr int kGoOn = -1;  // internal: the slice carries on

// The temporary file could not take the member's bytes (a full disk): the
// member would decode short and install a wrong file, so the run is undone.
int FailTempWrite()
{
    RollBack();
    extractionUi.ShowError(kErrorTempFileNotMade);
    return StepFailed;
}

// A package of fewer than ten members is corrupt, and one whose reading
// failed is cut short: the run is undone and reported as a member that cannot
// be written.
int FailShortPackage()
{
    RollBack();
    extractionUi.ShowError(kErrorMemberNotWritten);
    return StepFailed;
}

// One byte into the member; false when a block of them could not be written.
bool PutMemberByte(uint8_t byte)
{
    ++extraction.memberBytes;
    return PutByte(extraction.tempBlock, extraction.tempStream, byte);
}

// Copies the first pending marker bytes, held back by the matcher, into the member.
bool CopyMarkerBytes(int pending)
{
    for (int k = 0; k < pending; ++k)
        if (!PutMemberByte(static_cast<uint8_t>(PackageMarker[k])))
            return false;
    return true;
}

// Copies held-back marker bytes and then one data byte into the member.
bool CopyToTemp(int pending, int byte)
{
    return CopyMarkerBytes(pending) && PutMemberByte(static_cast<uint8_t>(byte));
}

// Tells the main bar how far the installer file has been read.
void ReportReading()
{
    extractionUi.MoveMainBar(TakenBytes(extraction.packageBlock), extraction.installerLength);
}

// Extracts the member from its temporary file, then closes and deletes the
// file. The pump's stream stays open until after the decode, so that no one
// else can write to the file in between: its bytes are flushed, not closed.
int ExtractFromTempFile()
{
    if (!FlushBlock(extraction.tempBlock, extraction.tempStream) || fflush(extraction.tempStream) != 0 ||
        ferror(extraction.tempStream))
        return FailTempWrite();
    if (extraction.memberBytes == 0)
        return FailShortPackage();  // an empty member: a closing marker came early
    int r = ExtractMember(extraction.tempPath, extraction.memberBytes);
    DeleteTempFile(extraction.tempStream, extraction.tempPath);
    return r;
}

// The stream ended, or the tenth member is done.
int FinishPump()
{
    ReportReading();
    const PumpMode mode = CurrentPumpMode();
    CloseStream(extraction.packageStream);
    if (mode == PumpMode::SeekingFirstMarker)
        return StepDone;  // no marker at all (memberIndex 0): the wizard reports it
    // The last member has no closing marker; a partial marker at the very end is its data.
    if (!CopyMarkerBytes(extraction.matchLength))
        return FailTempWrite();
    extraction.matchLength = 0;
    int r = ExtractFromTempFile();
    if (r == StepDone && extraction.memberIndex < kMemberLimit)
        return FailShortPackage();
    return r;
}

// A whole marker was read: the member being copied is complete and the next begins.
int AtMemberBoundary()
{
    if (CurrentPumpMode() == PumpMode::CopyingMember) {
        int r = ExtractFromTempFile();
        if (r != StepDone) {
            CloseStream(extraction.packageStream);
            return r;
        }
        if (extraction.memberIndex >= kMemberLimit)
            return FinishPump();  // the second closing marker and all after it stay unread
    }
    ShowScanStatus();
    // A file of the run's own, made afresh for every member.
    extraction.tempStream = CreateTempFile(extraction.tempPath);
    if (!extraction.tempStream) {
        extractionUi.ShowError(kErrorTempFileNotMade);
        CloseStream(extraction.packageStream);
        return StepFailed;
    }
    extraction.memberBytes = 0;
    extraction.matchLength = 0;
    return kGoOn;
}

}  // namespace

void TakePackageStream(FILE* stream)
{
    extraction.packageStream = stream;
    extraction.installerLength = FileLength(stream);
    extraction.packageBlock = {};
    ReportReading();
}

int PumpSlice()
{
    for (;;) {
        int byte = NextByte(extraction.packageBlock, extraction.packageStream);
        // A read error is not the end of the package: the last member, which
        // has no closing marker, would decode from the bytes read so far.
        if (byte == EOF)
            return ferror(extraction.packageStream) ? FailShortPackage() : FinishPump();
        MarkerMatcher matcher{extraction.matchLength};
        int pending = 0;
        MatchStep step = FeedMatcher(matcher, static_cast<uint8_t>(byte), &pending);
        extraction.matchLength = matcher.matched;
        if (step == MatchStep::Marker) {
            int r = AtMemberBoundary();
            if (r != kGoOn)
                return r;
        } else if (step == MatchStep::Data && CurrentPumpMode() == PumpMode::CopyingMember) {
            // Every write is checked: a block that cannot be written stops the run at once.
            if (!CopyToTemp(pending, byte))
                return FailTempWrite();
        }
        if (++extraction.sliceCount > kSliceLimit) {
            ReportReading();
            extraction.sliceCount = 0;
            return StepAgain;
        }
    }
}

}  // namespace vorn
