/* Wine's <winnt.h> defines some interlocked functions inline under names
 * that clang, targeting Microsoft's ABI, knows as its own intrinsics (the
 * 64-bit ones on i686, the 128-bit compare-exchange on x86-64), and clang
 * rejects the definitions. They are defined under other names here and left
 * unused; the Interlocked* macros reach clang's intrinsics instead, declared
 * below as Microsoft's <intrin.h> would. */
#define _InterlockedAnd64 winnt_inline_InterlockedAnd64
#define _InterlockedCompareExchangePointer winnt_inline_InterlockedCompareExchangePointer
#define _InterlockedDecrement64 winnt_inline_InterlockedDecrement64
#define _InterlockedExchangeAdd64 winnt_inline_InterlockedExchangeAdd64
#define _InterlockedExchangePointer winnt_inline_InterlockedExchangePointer
#define _InterlockedIncrement64 winnt_inline_InterlockedIncrement64
#define _InterlockedOr64 winnt_inline_InterlockedOr64
#define _InterlockedXor64 winnt_inline_InterlockedXor64
#define _InterlockedCompareExchange128 winnt_inline_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedAnd64
#undef _InterlockedCompareExchangePointer
#undef _InterlockedDecrement64
#undef _InterlockedExchangeAdd64
#undef _InterlockedExchangePointer
#undef _InterlockedIncrement64
#undef _InterlockedOr64
#undef _InterlockedXor64
#undef _InterlockedCompareExchange128

#ifndef MATTORA_MSVC_WINNT_H
#define MATTORA_MSVC_WINNT_H
#ifdef __cplusplus
extern "C" {
#endif
__int64 _InterlockedAnd64(__int64 volatile*, __int64);
void* _InterlockedCompareExchangePointer(void* volatile*, void*, void*);
__int64 _InterlockedDecrement64(__int64 volatile*);
__int64 _InterlockedExchangeAdd64(__int64 volatile*, __int64);
void* _InterlockedExchangePointer(void* volatile*, void*);
__int64 _InterlockedIncrement64(__int64 volatile*);
__int64 _InterlockedOr64(__int64 volatile*, __int64);
__int64 _InterlockedXor64(__int64 volatile*, __int64);
#ifdef _WIN64
unsigned char _InterlockedCompareExchange128(__int64 volatile*, __int64, __int64, __int64*);
#endif
#ifdef __cplusplus
}
#endif
#endif
