// The DLL's process attach/detach routine: the driver keeps nothing here, all of its state
// is static data initialised at load.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
