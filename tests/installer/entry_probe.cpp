// A program linked like the installer, with the installer's own entry point,
// that reports what its WinMain was given: 42 when the previous instance is
// null, the command line is the text after the program's name that the
// environment variable VORN_EXPECTED_TAIL holds, the show command is 10 and
// the static initialiser below has run; otherwise the number of the first
// check that failed. The exit code is the entry point's result passed on.
#include <windows.h>

#include <cstring>

namespace {

bool initialised = false;

// Dynamic initialisation: the value depends on a system call.
struct Initialiser {
    Initialiser() { initialised = GetCurrentProcessId() != 0; }
} initialiser;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    char expected[512] = "";
    GetEnvironmentVariableA("VORN_EXPECTED_TAIL", expected, sizeof expected);
    if (instance != GetModuleHandleA(nullptr) || previous != nullptr)
        return 1;
    if (std::strcmp(commandLine, expected) != 0)
        return 2;
    if (showCommand != SW_SHOWDEFAULT)
        return 3;
    if (!initialised)
        return 4;
    return 42;
}
