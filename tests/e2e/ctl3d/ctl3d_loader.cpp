// The control case for the planted-library test: a program that loads
// "Ctl3d32.dll" by its bare name, as the plain search order would, so that
// the test can show its stand-in is found when a program searches for it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA("Ctl3d32.dll");
    if (library)
        FreeLibrary(library);
    return library ? 0 : 1;
}
