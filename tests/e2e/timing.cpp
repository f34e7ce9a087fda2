// e2e_timing: wall time from pressing Install to the Finish page, for the
// demo installer and the large-package one, beside the floor that the
// pump's 25 ms pauses set (one pause after every slice but the last): as
// counted, and as measured here with the same number of one-shot 25 ms
// timers armed one after the other, the way the wizard arms them.
// Icons are left out (box 158 unticked) so that only the extraction counts.
//   e2e_timing --installer FILE --payload DIR --big-installer FILE --big-payload DIR [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/driver/outcome.h"
#include "tests/support/package_members.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"

namespace vorn::e2e {
namespace {

constexpr long kSliceBytes = 15001;
constexpr long kPauseMs = 25;

// Bytes the pump reads: up to the end of the first marker of the closing
// pair (the eleventh marker the matcher finds).
long BytesPumped(const std::string& file)
{
    const std::vector<size_t> markers = MarkerOffsets(file);
    return static_cast<long>(markers.size() > 10 ? markers[10] + 4 : file.size());
}

// Milliseconds since t0.
double Elapsed(const LARGE_INTEGER& t0)
{
    LARGE_INTEGER f, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t1);
    return (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart;
}

// One installation; milliseconds from Install to the Finish page, or -1.
double TimeOne(bool big, std::string* fault)
{
    ClearInstallation();
    Scenario run;
    RunOptions options;
    options.bigPackage = big;
    if (!run.Launch(options, fault) || !run.GoToOptions())
        return -1;
    Click(run.wizard, 158);
    WaitUntil([&] { return !ItemChecked(run.wizard, 158); });
    LARGE_INTEGER t0;
    PostMessageA(GetDlgItem(run.wizard, IDOK), BM_CLICK, 0, 0);
    QueryPerformanceCounter(&t0);
    // The page's style bits are read without waiting on the installer's thread.
    DWORD start = GetTickCount();
    while (ShownPage(run.wizard) != kFinish && GetTickCount() - start < 120000)
        Sleep(2);
    const double ms = Elapsed(t0);
    bool finished = ShownPage(run.wizard) == kFinish;
    Click(run.wizard, IDCANCEL);
    run.WaitExit();
    *fault = CompareWithPayload("C:\\Vorn", big ? inputs.bigPayload : inputs.payload, true);
    if (!finished)
        *fault += "no Finish page";
    return fault->empty() ? ms : -1;
}

// The pauses alone: `count` one-shot timers of 25 ms, each armed once the
// one before has fired; the median of three such runs.
double TimersAloneMs(long count)
{
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        for (long i = 0; i < count; ++i) {
            const UINT_PTR id = SetTimer(nullptr, 0, kPauseMs, nullptr);
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0 && !(message.message == WM_TIMER && message.wParam == id))
                DispatchMessageA(&message);
            KillTimer(nullptr, id);
        }
        times.push_back(Elapsed(t0));
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

int Run(int runs)
{
    printf("%-22s %10s %7s %9s %9s %9s %9s %9s %8s\n", "installer", "bytes", "slices", "floor ms", "timers ms",
           "min ms", "median", "max ms", "/timers");
    for (bool big : {false, true}) {
        const std::string& file = big ? inputs.bigInstaller : inputs.installer;
        std::string bytes;
        if (file.empty() || !ReadFileText(file, &bytes))
            continue;
        long pumped = BytesPumped(bytes);
        long slices = (pumped + kSliceBytes - 1) / kSliceBytes;
        long floorMs = (slices - 1) * kPauseMs;
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            std::string fault;
            double ms = TimeOne(big, &fault);
            if (ms < 0) {
                printf("run %d of the %s installer failed: %s\n", i + 1, big ? "large" : "demo", fault.c_str());
                return 1;
            }
            times.push_back(ms);
        }
        std::sort(times.begin(), times.end());
        double median = times[times.size() / 2];
        double timersMs = TimersAloneMs(slices - 1);
        printf("%-22s %10zu %7ld %9ld %9.0f %9.0f %9.0f %9.0f %8.2f\n", big ? "large package (~1 MB)" : "demo package",
               bytes.size(), slices, floorMs, timersMs, times.front(), median, times.back(),
               timersMs > 0 ? median / timersMs : 0.0);
    }
    ClearInstallation();
    return 0;
}

}  // namespace
}  // namespace vorn::e2e

int main(int argc, char** argv)
{
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, atoi(argv[i + 1]));
    std::string missing;
    if (!vorn::e2e::ReadInputs(argc, argv, &missing)) {
        fprintf(stderr, "e2e_timing: missing %s\n", missing.c_str());
        return 2;
    }
    return vorn::e2e::Run(runs);
}
