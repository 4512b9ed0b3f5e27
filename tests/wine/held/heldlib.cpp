// A DLL that does nothing: the Wine runs copy it over a scenario's file that
// another program has loaded, so that LoadLibraryA can map it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
