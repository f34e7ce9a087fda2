// Times whole extractions of a package under Wine: every PumpSlice call of a
// run (without the wizard's 25 ms pauses between slices) and the share of
// that time spent decoding, taken from the member bar's first and last calls.
//   extraction_bench PACKAGE PAYLOAD_DIR WORK_DIR [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/ui_seam.h"
#include "package/existing_files.h"
#include "package/extraction_pump.h"
#include "package/extraction_state.h"
#include "package/file_ops.h"
#include "package/member_table.h"

namespace {

LARGE_INTEGER frequency;
LONGLONG decodeStart;
LONGLONG decodeTicks;

LONGLONG Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(LONGLONG ticks) { return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart); }

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::vector<unsigned char> out;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        unsigned char block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof block, f)) > 0)
            out.insert(out.end(), block, block + got);
        fclose(f);
    }
    return out;
}

// The bar's width is asked once when a decode starts, the repaint comes once when it ends.
void InstallTimingUi()
{
    using namespace vorn;
    extractionUi.SetStatus = [](const char*) {};
    extractionUi.ShowError = [](int number) { std::printf("box [%d]\n", number); };
    extractionUi.MoveMainBar = [](int64_t, int64_t) {};
    extractionUi.memberBar = {[](void*) {
                                  decodeStart = Now();
                                  return 160;
                              },
                              [](void*, uint32_t, uint32_t) {},
                              [](void*) { decodeTicks += Now() - decodeStart; }, nullptr};
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vorn;
    if (argc < 4) {
        std::fprintf(stderr, "usage: extraction_bench PACKAGE PAYLOAD_DIR WORK_DIR [RUNS]\n");
        return 2;
    }
    const std::string package = argv[1], payload = argv[2], work = argv[3];
    const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    QueryPerformanceFrequency(&frequency);
    InstallTimingUi();
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string target = work + "\\Vorn";

    long packageBytes = static_cast<long>(ReadAll(package).size());
    long decodedBytes = 0;
    for (const char* name : kMemberNames)
        decodedBytes += static_cast<long>(ReadAll(payload + "\\" + name).size());
    std::printf("package %ld bytes, %ld bytes decoded into 10 files\n\n", packageBytes, decodedBytes);
    std::printf("%-4s %7s %10s %10s %8s %6s\n", "run", "slices", "pump ms", "decode ms", "decode%", "files");

    std::vector<double> totals, shares;
    for (int run = 1; run <= runs; ++run) {
        installSettings = InstallSettings{};
        lstrcpynA(installSettings.folder, target.c_str(), kFolderSize);
        ResetExtraction();
        if (CreateDestinationFolder() != StepDone)
            return 1;
        FILE* stream = fopen(package.c_str(), "rb");
        if (!stream)
            return 1;
        TakePackageStream(stream);
        decodeTicks = 0;
        int slices = 0, r;
        LONGLONG pumpTicks = 0;
        do {
            LONGLONG t0 = Now();
            r = PumpSlice();
            pumpTicks += Now() - t0;
            ++slices;
        } while (r == StepAgain);
        bool same = r == StepDone && extraction.memberIndex == 10;
        for (const char* name : kMemberNames)
            same = same && ReadAll(target + "\\" + name) == ReadAll(payload + "\\" + name);
        double total = Ms(pumpTicks), decode = Ms(decodeTicks);
        std::printf("%-4d %7d %10.1f %10.1f %7.1f%% %6s\n", run, slices, total, decode, 100.0 * decode / total,
                    same ? "same" : "DIFFER");
        if (!same)
            return 1;
        totals.push_back(total);
        shares.push_back(100.0 * decode / total);
        RollBack();  // deletes the files and the folder this run created
    }
    std::sort(totals.begin(), totals.end());
    std::sort(shares.begin(), shares.end());
    std::printf("\nmedian: %.1f ms for the whole extraction, %.1f%% of it decoding\n", totals[totals.size() / 2],
                shares[shares.size() / 2]);
    RemoveDirectoryA(work.c_str());
    return 0;
}
