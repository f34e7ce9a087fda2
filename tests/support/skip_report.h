// Cases that skip themselves (GTEST_SKIP) show as skipped in ctest's summary:
// at the end of a run in which nothing failed and some case did not run,
// one line starting with kSkippedLine says how many did not run, followed by
// each one's name and reason; ctest's SKIP_REGULAR_EXPRESSION looks for that
// line. ctest gives one verdict for the whole program: a failure always wins
// (the line is not printed then, so that no skip can hide it), and a run in
// which any case did not run is reported skipped rather than passed, so that
// nobody takes a partial run for a complete one.
#pragma once

namespace vorn::test {

constexpr char kSkippedLine[] = "Cases skipped, none failed:";

// Adds the report to gtest's listeners; call after InitGoogleTest.
void InstallSkipReport();

}  // namespace vorn::test
