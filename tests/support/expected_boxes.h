// The failure boxes as the user must read them, by number: the tests' own
// table, written apart from the installer's so that a comparison can fail.
#pragma once

namespace vorn::test {

inline constexpr char kReadingText[] =
    "There seems to be a problem reading the installation file.\n\n"
    "Please try running the installation program again!";
inline constexpr char kCopyingText[] =
    "There seems to be a problem copying files to their destination.\n\n"
    "Please try running the installation program again!";
inline constexpr char kCorruptText[] =
    "The installation file seems to be corrupt!\n\n"
    "Please try running the installation program again or download a new version!";

struct ExpectedBox {
    int number;
    const char* caption;  // null: the number has no box
    const char* text;
};

inline constexpr ExpectedBox kExpectedBoxes[] = {
    {0, nullptr, nullptr},
    {1, "Vorn Installation Error [1]",
     "There seems to be a problem creating the directory you specified.\n\n"
     "Please try using a different directory name!"},
    {2, "Vorn Installation Error [2]", kReadingText},
    {3, "Vorn Installation Error [3]", kReadingText},
    {4, "Vorn Installation Error [4]", kCopyingText},
    {5, "Vorn Installation Error [5]", kCopyingText},
    {6, "Vorn Installation Error [6]",
     "There seems to be a problem creating the backup directory.\n\n"
     "Please try installing to a different directory!"},
    {7, "Vorn Installation Error [7]",
     "There seems to be a problem backing up your original files.\n\n"
     "Please try installing to a different directory!"},
    {8, nullptr, nullptr},
    {9, "Vorn Installation Error [9]", kReadingText},
    {10, "Vorn Installation Error [10]", kCorruptText},
    {11, "Vorn Installation Error [11]",
     "There seems to be a problem extracting files from the installation file.\n\n"
     "Please try running the installation program again!"},
    {12, nullptr, nullptr},
    {13, nullptr, nullptr},
    {14, "Vorn Installation Error [14]", kCorruptText},
    {15, "Vorn Installation Error [15]",
     "There seems to be a problem adding Vorn icons to the Program Manager!\n\n"
     "Do you want me to try again?"},
    {16, nullptr, nullptr},
};

// The row for a box number; the row of 0 (no box) for a number outside the table.
constexpr const ExpectedBox& ExpectedBoxFor(int number)
{
    for (const ExpectedBox& box : kExpectedBoxes)
        if (box.number == number)
            return box;
    return kExpectedBoxes[0];
}

}  // namespace vorn::test
