// Entry of the end-to-end test programs: gtest's own options and the
// skipped-cases line for ctest, then the inputs (installer, payload,
// helpers) as "--name /unix/path" pairs.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/driver/scenario.h"
#include "tests/support/help_window.h"
#include "tests/support/skip_report.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    vorn::test::InstallSkipReport();
    std::string missing;
    if (!vorn::e2e::ReadInputs(argc, argv, &missing)) {
        fprintf(stderr, "e2e: missing option %s\n", missing.c_str());
        return 2;
    }
    vorn::test::OpenHelpWindow();
    int result = RUN_ALL_TESTS();
    vorn::test::CloseHelpWindow();
    return result;
}
