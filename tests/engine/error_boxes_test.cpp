// Every failure box by its number: the caption and the text exactly as the
// user reads them, and no box for the numbers that are not used.
#include <gtest/gtest.h>

#include <string>

#include "package/error_boxes.h"

namespace vorn::test {
namespace {

constexpr const char* kReading =
    "There seems to be a problem reading the installation file.\n\n"
    "Please try running the installation program again!";
constexpr const char* kCopying =
    "There seems to be a problem copying files to their destination.\n\n"
    "Please try running the installation program again!";
constexpr const char* kCorrupt =
    "The installation file seems to be corrupt!\n\n"
    "Please try running the installation program again or download a new version!";

struct BoxCase {
    int number;
    const char* caption;
    const char* text;  // null: the number has no box
};

constexpr BoxCase kBoxes[] = {
    {0, nullptr, nullptr},
    {1, "Vorn Installation Error [1]",
     "There seems to be a problem creating the directory you specified.\n\n"
     "Please try using a different directory name!"},
    {2, "Vorn Installation Error [2]", kReading},
    {3, "Vorn Installation Error [3]", kReading},
    {4, "Vorn Installation Error [4]", kCopying},
    {5, "Vorn Installation Error [5]", kCopying},
    {6, "Vorn Installation Error [6]",
     "There seems to be a problem creating the backup directory.\n\n"
     "Please try installing to a different directory!"},
    {7, "Vorn Installation Error [7]",
     "There seems to be a problem backing up your original files.\n\n"
     "Please try installing to a different directory!"},
    {8, nullptr, nullptr},
    {9, "Vorn Installation Error [9]", kReading},
    {10, "Vorn Installation Error [10]", kCorrupt},
    {11, "Vorn Installation Error [11]",
     "There seems to be a problem extracting files from the installation file.\n\n"
     "Please try running the installation program again!"},
    {12, nullptr, nullptr},
    {13, nullptr, nullptr},
    {14, "Vorn Installation Error [14]", kCorrupt},
    {15, "Vorn Installation Error [15]",
     "There seems to be a problem adding Vorn icons to the Program Manager!\n\n"
     "Do you want me to try again?"},
    {16, nullptr, nullptr},
};

TEST(ErrorBoxTest, CaptionAndTextByNumber)
{
    for (const BoxCase& c : kBoxes) {
        const ErrorBox* box = FindErrorBox(c.number);
        if (!c.text) {
            EXPECT_EQ(box, nullptr) << "[" << c.number << "] is not used";
            continue;
        }
        ASSERT_NE(box, nullptr) << "[" << c.number << "]";
        EXPECT_EQ(box->number, c.number);
        EXPECT_EQ(std::string(box->caption), c.caption) << "[" << c.number << "]";
        EXPECT_EQ(std::string(box->text), c.text) << "[" << c.number << "]";
    }
}

}  // namespace
}  // namespace vorn::test
