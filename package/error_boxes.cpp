// Error numbers, captions and texts of the installer's failure boxes.
#include "package/error_boxes.h"

namespace vorn {
namespace {

#define VORN_CAPTION(n) "Vorn Installation Error [" #n "]"

constexpr const char kReadingProblem[] =
    "There seems to be a problem reading the installation file.\n\n"
    "Please try running the installation program again!";
constexpr const char kCopyingProblem[] =
    "There seems to be a problem copying files to their destination.\n\n"
    "Please try running the installation program again!";
constexpr const char kCorrupt[] =
    "The installation file seems to be corrupt!\n\n"
    "Please try running the installation program again or download a new version!";

constexpr ErrorBox kErrorBoxes[] = {
    {kErrorFolderNotCreated, VORN_CAPTION(1),
     "There seems to be a problem creating the directory you specified.\n\n"
     "Please try using a different directory name!"},
    {kErrorInstallerUnreadable, VORN_CAPTION(2), kReadingProblem},
    {kErrorTempFileUnreadable, VORN_CAPTION(3), kReadingProblem},
    {kErrorDestinationUnwritable, VORN_CAPTION(4), kCopyingProblem},
    {kErrorMemberNotWritten, VORN_CAPTION(5), kCopyingProblem},
    {kErrorBackupFolderNotCreated, VORN_CAPTION(6),
     "There seems to be a problem creating the backup directory.\n\n"
     "Please try installing to a different directory!"},
    {kErrorBackupNotMoved, VORN_CAPTION(7),
     "There seems to be a problem backing up your original files.\n\n"
     "Please try installing to a different directory!"},
    {kErrorInstallerNotReopened, VORN_CAPTION(9), kReadingProblem},
    {kErrorPackageCorrupt, VORN_CAPTION(10), kCorrupt},
    {kErrorTempFileNotMade, VORN_CAPTION(11),
     "There seems to be a problem extracting files from the installation file.\n\n"
     "Please try running the installation program again!"},
    {kErrorNoMember, VORN_CAPTION(14), kCorrupt},
    {kErrorIconsNotCreated, VORN_CAPTION(15),
     "There seems to be a problem adding Vorn icons to the Program Manager!\n\n"
     "Do you want me to try again?"},
};

#undef VORN_CAPTION

// Each caption shows its box's number.
constexpr bool CaptionsMatchNumbers()
{
    for (const ErrorBox& box : kErrorBoxes) {
        int n = 0;
        const char* c = box.caption + sizeof("Vorn Installation Error [") - 1;
        while (*c >= '0' && *c <= '9')
            n = n * 10 + (*c++ - '0');
        if (n != box.number || *c != ']')
            return false;
    }
    return true;
}
static_assert(CaptionsMatchNumbers(), "an error box's caption and number differ");

}  // namespace

const ErrorBox* FindErrorBox(int number)
{
    for (const ErrorBox& box : kErrorBoxes)
        if (box.number == number)
            return &box;
    return nullptr;
}

}  // namespace vorn
