// The package check on a real installer-like program: copies of the probe,
// sound, with one package byte flipped, without markers, moved away.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_fixture.h"
#include "package/marker.h"
#include "package/open_package.h"
#include "package_crc.h"
#include "tests/support/processes.h"

namespace vorn::test {
namespace {

// Runs a program and returns its exit code, or -1 when it cannot be started
// or does not end in time.
int RunProgram(const std::string& commandLine)
{
    Launch launch;
    launch.commandLine = commandLine;
    ProgramRun run = RunToExit(launch, 60000);
    return run.started && run.ended ? static_cast<int>(run.exitCode) : -1;
}

TEST(ScanPackageTest, DemoPackageAndMissingFile)
{
    EXPECT_EQ(ScanPackage(VORN_TEST_PACKAGE), ExpectedPackageCrc);
    EXPECT_EQ(ScanPackage("Z:\\no\\such\\installer.exe"), 0u);
}

TEST(OpenPackageTest, ProbeCopiesShowTheirBoxes)
{
    ScratchFolder dir{"probe"};
    const Bytes probe = ReadFileBytes(VORN_TEST_PROBE);
    ASSERT_FALSE(probe.empty());
    const std::vector<size_t> markers = MarkerOffsets(probe);
    ASSERT_FALSE(markers.empty()) << "the probe carries its package";
    size_t packageAt = markers[0];
    ASSERT_LT(packageAt + 100, probe.size()) << "the probe carries its package";

    struct Case {
        const char* name;
        void (*change)(Bytes& file, size_t packageAt);
        bool moveSelf;
        int box;  // the probe's exit code: 0 opened, else the box shown
    };
    const Case cases[] = {
        {"sound", nullptr, false, 0},
        {"one package byte flipped", [](Bytes& f, size_t at) { f[at + 40] ^= 0x10; }, false, 10},
        {"CR after the closing pair changed",
         [](Bytes& f, size_t at) { f[at + DemoPackage().size() - 2] ^= 0x01; }, false, 0},
        {"no marker left",
         [](Bytes& f, size_t) {
             Bytes marker = Marker();
             for (auto it = f.begin(); (it = std::search(it, f.end(), marker.begin(), marker.end())) != f.end();)
                 *it++ = 'B';
         },
         false, 2},
        {"own file moved away while running", nullptr, true, 2},
    };
    for (const Case& c : cases) {
        Bytes copy = probe;
        if (c.change)
            c.change(copy, packageAt);
        std::string exe = dir / "probe.exe";
        RemoveTree(exe);
        RemoveTree(dir / "moved.exe");
        ASSERT_TRUE(WriteFileBytes(exe, copy)) << c.name;
        std::string command = "\"" + exe + "\"";
        if (c.moveSelf)
            command += " --move-self \"" + (dir / "moved.exe") + "\"";
        EXPECT_EQ(RunProgram(command), c.box) << c.name;
    }
}

}  // namespace
}  // namespace vorn::test
