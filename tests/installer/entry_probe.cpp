// A program linked like the installer, with the installer's own entry point,
// that reports what its WinMain was given: 42 when the previous instance is
// null, the command line is the text after the program's name that the
// environment variable VORN_EXPECTED_TAIL holds, the show command is 10 and
// the two static initialisers below have run, in the order the runtime would
// run them; otherwise the number of the first check that failed. The exit
// code is the entry point's result passed on.
#include <windows.h>

#include <cstring>

namespace {

char ran[4];  // the initialisers' marks, in the order they ran
int runs = 0;

// Dynamic initialisation: it depends on a system call.
struct Initialiser {
    explicit Initialiser(char mark)
    {
        if (runs < 3 && GetCurrentProcessId() != 0)
            ran[runs++] = mark;
    }
};

// Declared first, but of the default priority: it runs after the one below,
// whose lower priority number puts it first. The linker lays the prioritised
// initialiser out behind the default ones, so only a list run last first, as
// the runtime runs it, gives that order.
Initialiser later('2');
__attribute__((init_priority(101))) Initialiser first('1');

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
    if (std::strcmp(ran, "12") != 0)
        return 4;
    return 42;
}
