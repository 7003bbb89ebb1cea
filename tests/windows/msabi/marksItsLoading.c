/* A DLL whose entry routine leaves a mark in the process's environment when
   it runs, so that a test sees whether the host ran it. */
#include <stdlib.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) _putenv("MATTORA_DLL_MAIN_RAN=1");
  return TRUE;
}

__declspec(dllexport) int mattoraTestPresent(void) { return 1; }
