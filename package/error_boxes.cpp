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

// The numbers 8, 12, 13 and 16 are not used.
constexpr ErrorBox kErrorBoxes[] = {
    {1, VORN_CAPTION(1),
     "There seems to be a problem creating the directory you specified.\n\n"
     "Please try using a different directory name!"},
    {2, VORN_CAPTION(2), kReadingProblem},
    {3, VORN_CAPTION(3), kReadingProblem},
    {4, VORN_CAPTION(4), kCopyingProblem},
    {5, VORN_CAPTION(5), kCopyingProblem},
    {6, VORN_CAPTION(6),
     "There seems to be a problem creating the backup directory.\n\n"
     "Please try installing to a different directory!"},
    {7, VORN_CAPTION(7),
     "There seems to be a problem backing up your original files.\n\n"
     "Please try installing to a different directory!"},
    {9, VORN_CAPTION(9), kReadingProblem},
    {10, VORN_CAPTION(10), kCorrupt},
    {11, VORN_CAPTION(11),
     "There seems to be a problem extracting files from the installation file.\n\n"
     "Please try running the installation program again!"},
    {14, VORN_CAPTION(14), kCorrupt},
    {15, VORN_CAPTION(15),
     "There seems to be a problem adding Vorn icons to the Program Manager!\n\n"
     "Do you want me to try again?"},
};

#undef VORN_CAPTION

}  // namespace

const ErrorBox* FindErrorBox(int number)
{
    for (const ErrorBox& box : kErrorBoxes)
        if (box.number == number)
            return &box;
    return nullptr;
}

}  // namespace vorn
