// Entry of the end-to-end test programs: gtest's own options, then the
// inputs (installer, payload, helpers) as "--name /unix/path" pairs.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/driver/help_window.h"
#include "tests/e2e/driver/scenario.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string missing;
    if (!vorn::e2e::ReadInputs(argc, argv, &missing)) {
        fprintf(stderr, "e2e: missing option %s\n", missing.c_str());
        return 2;
    }
    vorn::e2e::OpenHelpWindow();
    int result = RUN_ALL_TESTS();
    vorn::e2e::CloseHelpWindow();
    return result;
}
