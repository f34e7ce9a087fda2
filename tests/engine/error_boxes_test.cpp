// Every failure box by its number: the caption and the text exactly as the
// user reads them, and no box for the numbers that are not used.
#include <gtest/gtest.h>

#include <string>

#include "package/error_boxes.h"
#include "tests/support/expected_boxes.h"

namespace vorn::test {
namespace {

TEST(ErrorBoxTest, CaptionAndTextByNumber)
{
    for (const ExpectedBox& c : kExpectedBoxes) {
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
