// The entry point of every DLL built with this toolchain.
//
// Order as with Microsoft's runtime: C++ initialisers before the DLL's own
// DllMain sees DLL_PROCESS_ATTACH; DllMain sees DLL_PROCESS_DETACH before the
// static destructors run. When DllMain refuses the attach, the loader
// reports the detach all the same, and the destructors run then.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "startup.h"

// The DLL's own, or else the library's default (dllmain.cpp).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) msvcrt_startup::runInitialisers();
  const BOOL result = DllMain(instance, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) msvcrt_startup::runExitHandlers();
  return result;
}
