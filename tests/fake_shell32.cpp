// A SHELL32.DLL stand-in that lacks the folder dialog's entry points, for the test of a SHELL32
// that loads but cannot browse. Wine loads it from the exe's folder when told shell32=n.
#include <windows.h>

extern "C" BOOL WINAPI fake_shell32_entry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) int fake_shell32_marker() { return 1; }
