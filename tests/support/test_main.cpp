// Entry of the gtest programs that need nothing else at start: gtest's own
// options, the skipped-cases line for ctest, the run.
#include <gtest/gtest.h>

#include "tests/support/skip_report.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    vorn::test::InstallSkipReport();
    return RUN_ALL_TESTS();
}
