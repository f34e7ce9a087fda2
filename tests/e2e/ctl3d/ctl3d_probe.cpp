// A stand-in "Ctl3d32.dll": the recording library (tests/e2e/planted/
// library_probe.cpp) with the three entry points an installer looks up.
#include <windows.h>

extern "C" {
__declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE) { return TRUE; }
__declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE) { return TRUE; }
__declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE) { return TRUE; }
}
