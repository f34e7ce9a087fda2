// The skipped-cases line for ctest.
#include "tests/support/skip_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vorn::test {
namespace {

// The reason a skipped case gave, on one line.
std::string SkipReason(const testing::TestResult& result)
{
    std::string reason;
    for (int i = 0; i < result.total_part_count(); ++i) {
        const testing::TestPartResult& part = result.GetTestPartResult(i);
        if (part.skipped())
            reason += part.message();
    }
    for (char& c : reason)
        if (c == '\n' || c == '\r')
            c = ' ';
    return reason.empty() ? "no reason given" : reason;
}

class SkipReport : public testing::EmptyTestEventListener {
    void OnTestProgramEnd(const testing::UnitTest& unit) override
    {
        if (unit.failed_test_count() > 0 || unit.ad_hoc_test_result().Failed() || unit.skipped_test_count() == 0)
            return;
        std::printf("%s %d of %d cases did not run\n", kSkippedLine, unit.skipped_test_count(),
                    unit.test_to_run_count());
        for (int s = 0; s < unit.total_test_suite_count(); ++s) {
            const testing::TestSuite& suite = *unit.GetTestSuite(s);
            for (int t = 0; t < suite.total_test_count(); ++t) {
                const testing::TestInfo& info = *suite.GetTestInfo(t);
                if (info.should_run() && info.result()->Skipped())
                    std::printf("  %s.%s: %s\n", suite.name(), info.name(), SkipReason(*info.result()).c_str());
            }
        }
        std::fflush(stdout);
    }
};

}  // namespace

void InstallSkipReport()
{
    testing::UnitTest::GetInstance()->listeners().Append(new SkipReport);
}

}  // namespace vorn::test
