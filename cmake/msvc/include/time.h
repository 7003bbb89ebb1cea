/* libc++'s thread support names ::timespec, which Wine's msvcrt <time.h>
 * leaves to the universal runtime; msvcrt.dll itself never uses it. */
#include_next <time.h>

#ifndef MATTORA_MSVC_TIME_H
#define MATTORA_MSVC_TIME_H
#ifndef _TIMESPEC_DEFINED
#define _TIMESPEC_DEFINED
struct timespec {
  time_t tv_sec;
  long tv_nsec;
};
#endif
#endif
