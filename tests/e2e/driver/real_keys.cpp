// Asking the Linux side for real key events: one request file per key
// sequence, answered by a file of the same number once xdotool has run.
#include "tests/e2e/driver/real_keys.h"

#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"
#include "tests/support/files.h"

namespace vorn::e2e {
namespace {

// The active window of the dialog's thread; the dialog when none is.
HWND ActiveWindow(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndActive)
        return info.hwndActive;
    return dialog;
}

}  // namespace

bool TypeKeys(HWND dialog, const std::string& keys, std::string* error)
{
    static int serial = 0;
    if (inputs.keys.empty()) {
        *error = "no --keys folder: real keys come from tests/e2e/with-real-keys.sh";
        return false;
    }
    const std::string base = inputs.keys + "\\" + std::to_string(++serial);
    const std::string caption = WindowText(ActiveWindow(dialog));
    // Written under another name and renamed, so the request is never read half-written.
    if (!WriteFileText(base + ".tmp", caption + "\n" + keys + "\n") ||
        !MoveFileA((base + ".tmp").c_str(), (base + ".request").c_str())) {
        *error = "cannot write the request " + base + ".request";
        return false;
    }
    std::string answer;
    if (!WaitUntil([&] { return ReadFileText(base + ".done", &answer); }, 30000)) {
        *error = "no answer to " + base + ".request within 30 s (is with-real-keys.sh running?)";
        return false;
    }
    DeleteFileA((base + ".done").c_str());
    if (answer != "ok\n") {
        *error = "typing \"" + keys + "\" into \"" + caption + "\": " + answer;
        return false;
    }
    return true;
}

}  // namespace vorn::e2e
