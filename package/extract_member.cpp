// One member from its temporary file to its destination file.
#include "package/extract_member.h"

#include <windows.h>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "decoder/member_decoder.h"
#include "package/error_boxes.h"
#include "package/existing_files.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/member_path.h"

namespace vorn {
namespace {

// After a help file is written its stale index goes: made writable (other
// attributes stay) and deleted once; a missing index is ignored.
void DeleteHelpIndex(int index, const char* destPath)
{
    const char* indexName = index == 1 ? "vorn.gid" : index == 2 ? "ircintro.gid" : nullptr;
    if (!indexName)
        return;
    PathParts parts;
    SplitPath(destPath, &parts);
    char path[kPathSize];
    wsprintfA(path, "%s%s%s", parts.drive, parts.directory, indexName);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
        DeleteFileA(path);
}

}  // namespace

void ShowScanStatus()
{
    char path[kPathSize];
    MemberPath(extraction.memberIndex, path);
    PathParts parts;
    SplitPath(path, &parts);
    wsprintfA(extraction.memberName, "%s%s", parts.name, parts.extension);
    char text[kPathSize + 32];
    if (extractionUi.MainBarStarted() && parts.name[0])
        wsprintfA(text, "Scanning file: %s", extraction.memberName);
    else
        wsprintfA(text, "Scanning files...");
    extractionUi.SetStatus(text);
}

int ExtractMember(const char* tempPath, int tempBytes)
{
    char text[kPathSize + 32];
    wsprintfA(text, "Extracting file: %s", extraction.memberName);
    extractionUi.SetStatus(text);

    char destPath[kPathSize];
    MemberPath(extraction.memberIndex, destPath);
    int p = CheckExistingFile(destPath);
    if (p == StepKeepExisting) {
        ++extraction.memberIndex;  // kept in place: handled, but not written by this run
        return StepDone;
    }
    if (p == StepBackToOptions)
        return StepBackToOptions;
    if (!WriteMember(tempPath, tempBytes, destPath))
        return StepFailed;
    extraction.memberWritten[extraction.memberIndex] = 1;
    DeleteHelpIndex(extraction.memberIndex, destPath);
    ++extraction.memberIndex;
    return StepDone;
}

int WriteMember(const char* tempPath, int tempBytes, const char* destPath)
{
    FILE* in = fopen(tempPath, "rb");
    if (!in) {
        RollBack();
        extractionUi.ShowError(kErrorTempFileUnreadable);
        return 0;
    }
    // Anything but the bytes the pump copied means the file was changed from
    // outside the run; the decoder would read on past a short file as zeros
    // and install a wrong file without a word.
    if (FileLength(in) != tempBytes) {
        fclose(in);
        RollBack();
        extractionUi.ShowError(kErrorMemberNotWritten);
        return 0;
    }
    FILE* out = fopen(destPath, "wb");
    if (!out) {
        fclose(in);
        RollBack();
        extractionUi.ShowError(kErrorDestinationUnwritable);
        return 0;
    }
    bool ok = DecodeMember(in, out, extractionUi.memberBar);
    // A full disk may show only when the buffer is flushed, so the output's
    // error flag and its close count as much as the decoder's own result; a
    // read error on the temporary file would have fed the decoder short input.
    if (ferror(out))
        ok = false;
    if (fclose(out) != 0)
        ok = false;
    if (ferror(in))
        ok = false;
    fclose(in);
    if (!ok) {
        // The half-written file is not yet a handled member, so the rollback's
        // walk would miss it (and it would keep a created folder in place).
        DeleteWithRetry(destPath);
        RollBack();
        extractionUi.ShowError(kErrorMemberNotWritten);
        return 0;
    }
    return 1;
}

}  // namespace vorn
