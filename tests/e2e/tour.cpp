// e2e_tour: drives one complete installation with the default options and
// asks for a screenshot of every page. For each page it writes
// "<n>-<page>.request" into the handshake folder and waits for
// "<n>-<page>.done", which the screenshot taker (scripts/run-installer.sh)
// writes after saving the picture. The Progress page passes quickly, so the
// installer's thread is held (suspended) while its picture is taken.
//   e2e_tour --installer /unix/vornsetup.exe --payload /unix/payload --shots /unix/folder
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"

namespace vorn::e2e {
namespace {

std::string shots;

bool Shoot(int number, const char* page)
{
    std::string base = shots + "\\" + std::to_string(number) + "-" + page;
    DeleteFileA((base + ".done").c_str());
    if (!WriteFileText(base + ".request", page))
        return false;
    bool done = WaitUntil([&] { return IsFile(base + ".done"); }, 20000);
    printf("%-9s %s\n", page, done ? "screenshot taken" : "no screenshot within 20 s");
    return done;
}

// Suspends (or resumes) every thread of the process.
void HoldProcess(DWORD processId, bool hold)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (thread) {
            hold ? SuspendThread(thread) : ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snap);
}

int Tour()
{
    ClearInstallation();
    Scenario run;
    std::string error;
    if (!run.Launch({}, &error)) {
        printf("tour: %s\n", error.c_str());
        return 1;
    }
    HWND w = run.wizard;
    bool ok = run.WaitPage(kWelcome);
    Pause(300);  // let the page paint
    ok = ok && Shoot(1, "welcome");
    Click(w, IDOK);
    ok = ok && run.WaitPage(kLicense);
    Pause(300);
    ok = ok && Shoot(2, "license");
    Click(w, IDOK);
    ok = ok && run.WaitPage(kOptions);
    Pause(300);
    ok = ok && Shoot(3, "options");
    if (!ok) {
        printf("tour: the wizard did not reach the Options page\n");
        return 1;
    }

    Click(w, IDOK);
    // The page's style bits are read without the installer's thread.
    bool progress = WaitUntil([&] { return ShownPage(w) == kProgress || ShownPage(w) == kFinish; }) &&
                    ShownPage(w) == kProgress;
    if (progress) {
        Sleep(60);  // into the extraction: a slice or two has run
        HoldProcess(run.process.id, true);
        progress = ShownPage(w) == kProgress;
        if (progress)
            Shoot(4, "progress");
        HoldProcess(run.process.id, false);
    }
    if (!progress)
        printf("progress  passed too quickly for a screenshot\n");

    if (!run.WaitPage(kFinish, kExtractMs)) {
        printf("tour: no Finish page\n");
        return 1;
    }
    Click(w, 183);
    Click(w, 184);
    WaitUntil([&] { return ItemChecked(w, 183) && ItemChecked(w, 184); });
    // The explorer window that creating the group opens would hide the page.
    // In a new prefix the first explorer takes seconds to start (over 5 s
    // was seen under 64-bit Wine); the wait ends as soon as it is there.
    CloseGroupWindows(20000);
    Pause(500);
    Shoot(5, "finish");
    Click(w, IDCANCEL);
    long code = run.WaitExit();
    std::string faults = CompareWithPayload("C:\\Vorn", inputs.payload, true);
    std::string record;
    WaitUntil([&] { return ReadFileText(kRecordFile, &record) && !record.empty(); });
    printf("installer exit code %ld\n", code);
    printf("installed into C:\\Vorn: %s\n", faults.empty() ? "all ten files match the payload" : faults.c_str());
    printf("client: %s", record.empty() ? "not started\n" : record.c_str());
    printf("group items: %zu\n", FolderEntries(GroupFolder()).size());
    CloseGroupWindows();
    return code == 0 && faults.empty() ? 0 : 1;
}

}  // namespace
}  // namespace vorn::e2e

int main(int argc, char** argv)
{
    using namespace vorn::e2e;
    std::string missing;
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--shots") == 0)
            shots = WindowsPath(argv[i + 1]);
    if (!ReadInputs(argc, argv, &missing) || shots.empty()) {
        fprintf(stderr, "usage: e2e_tour --installer FILE --payload DIR --shots DIR\n");
        return 2;
    }
    return Tour();
}
