/* msvcrt.dll has no __acrt_iob_func, which Wine's header names for stdin,
 * stdout and stderr (that is the universal runtime's entry); its streams
 * come from __iob_func on both machines. Wrapping this header rather than
 * <stdio.h> catches every header that defines the three. */
#include_next <corecrt_wstdio.h>

#ifndef MATTORA_MSVC_CORECRT_WSTDIO_H
#define MATTORA_MSVC_CORECRT_WSTDIO_H

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP FILE* __cdecl __iob_func(void);
#ifdef __cplusplus
}
#endif

#undef stdin
#undef stdout
#undef stderr
#define stdin (&__iob_func()[0])
#define stdout (&__iob_func()[1])
#define stderr (&__iob_func()[2])

#endif
