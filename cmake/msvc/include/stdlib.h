/* Static destructors must run when the DLL that owns them is unloaded, so
 * atexit is the image's own (see runtime/startup.cpp), not msvcrt.dll's
 * process-wide one. Wine's header declares msvcrt.dll's as dllimport; once a
 * file calls atexit itself, clang reuses that declaration for the static
 * destructors of the whole file, and they would run at process exit, after
 * the DLL is gone. The header's own declarations are moved aside here.
 * _onexit has no image-local counterpart: use atexit. */
#define atexit __msvcrt_process_atexit
#define _onexit __msvcrt_process_onexit
#include_next <stdlib.h>
#undef atexit
#undef _onexit

#ifndef MATTORA_MSVC_STDLIB_H
#define MATTORA_MSVC_STDLIB_H
#ifdef __cplusplus
extern "C" {
#endif
int __cdecl atexit(void(__cdecl*)(void));
#ifdef __cplusplus
}
#endif
#endif
