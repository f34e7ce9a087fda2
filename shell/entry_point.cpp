// The process's entry point, in place of the C runtime's start-up code: the
// installer needs none of it (no arguments, environment, thread-local data or
// floating-point set-up), and leaving it out keeps the stub small. It runs
// the static initialisers, calls WinMain as the runtime would and ends the
// process with WinMain's result.
#include <windows.h>

extern "C" {
// The initialisers, laid out by the linker between -1 and a closing 0.
extern void (*__CTOR_LIST__[])();

// Called first with the stack aligned, whatever alignment the loader gave.
__attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup();
}

namespace {

void RunStaticInitialisers()
{
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    // Last first, as the runtime does.
    for (int i = count; i > 0; --i)
        __CTOR_LIST__[i]();
}

// The command line after the program's name (quoted or not) and the blanks
// behind it, skipped as the runtime's start-up code does: bytes compared
// unsigned, so that a name byte of 0x80 or more (an accented folder name) is
// part of the name, and every byte up to the space skipped after it, tabs
// and control bytes alike.
char* ArgumentsOf(char* commandLine)
{
    auto* line = reinterpret_cast<unsigned char*>(commandLine);
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line > ' ')
            ++line;
    }
    while (*line && *line <= ' ')
        ++line;
    return reinterpret_cast<char*>(line);
}

}  // namespace

void WinMainCRTStartup()
{
    RunStaticInitialisers();
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()),
                               SW_SHOWDEFAULT);
    ExitProcess(static_cast<UINT>(result));
}
