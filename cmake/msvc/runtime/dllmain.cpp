// The DllMain of a DLL that defines none. The linker takes a library member
// only for a symbol nothing else defines, so a DLL's own DllMain wins.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
