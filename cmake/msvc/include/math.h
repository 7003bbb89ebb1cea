/* Completes Wine's msvcrt <math.h> for libc++'s <cmath>, which names every
 * C99 function in float, double and long double form.
 *
 * long double is double in this ABI, so the long double forms forward to the
 * double ones exactly. Names that msvcrt.dll lacks are only declared: a call
 * to one fails at link time with its name, rather than quietly computing
 * something else. */
#include_next <math.h>

#ifndef MATTORA_MSVC_MATH_H
#define MATTORA_MSVC_MATH_H

#ifdef __cplusplus
extern "C" {
#endif

double __cdecl erfc(double);
float __cdecl erfcf(float);
double __cdecl nexttoward(double, long double);
float __cdecl nexttowardf(float, long double);

/* Wine's header gives the 32-bit msvcrt.dll's float functions as inline
 * double ones; these have no such counterpart there. */
#ifdef __i386__
float __cdecl acoshf(float);
float __cdecl asinhf(float);
float __cdecl atanhf(float);
float __cdecl erff(float);
float __cdecl fdimf(float, float);
float __cdecl fmaxf(float, float);
float __cdecl fminf(float, float);
float __cdecl lgammaf(float);
float __cdecl nextafterf(float, float);
float __cdecl remainderf(float, float);
float __cdecl tgammaf(float);
#endif

#define MATTORA_LONG_DOUBLE_1(f) \
  static inline long double f##l(long double x) { return f((double)x); }
#define MATTORA_LONG_DOUBLE_2(f) \
  static inline long double f##l(long double x, long double y) { return f((double)x, (double)y); }

MATTORA_LONG_DOUBLE_1(acos)
MATTORA_LONG_DOUBLE_1(acosh)
MATTORA_LONG_DOUBLE_1(asin)
MATTORA_LONG_DOUBLE_1(asinh)
MATTORA_LONG_DOUBLE_1(atan)
MATTORA_LONG_DOUBLE_1(atanh)
MATTORA_LONG_DOUBLE_1(cbrt)
MATTORA_LONG_DOUBLE_1(ceil)
MATTORA_LONG_DOUBLE_1(cos)
MATTORA_LONG_DOUBLE_1(cosh)
MATTORA_LONG_DOUBLE_1(erf)
MATTORA_LONG_DOUBLE_1(erfc)
MATTORA_LONG_DOUBLE_1(exp)
MATTORA_LONG_DOUBLE_1(exp2)
MATTORA_LONG_DOUBLE_1(expm1)
MATTORA_LONG_DOUBLE_1(fabs)
MATTORA_LONG_DOUBLE_1(floor)
MATTORA_LONG_DOUBLE_1(lgamma)
MATTORA_LONG_DOUBLE_1(log)
MATTORA_LONG_DOUBLE_1(log10)
MATTORA_LONG_DOUBLE_1(log1p)
MATTORA_LONG_DOUBLE_1(log2)
MATTORA_LONG_DOUBLE_1(logb)
MATTORA_LONG_DOUBLE_1(nearbyint)
MATTORA_LONG_DOUBLE_1(sin)
MATTORA_LONG_DOUBLE_1(sinh)
MATTORA_LONG_DOUBLE_1(sqrt)
MATTORA_LONG_DOUBLE_1(tan)
MATTORA_LONG_DOUBLE_1(tanh)
MATTORA_LONG_DOUBLE_1(tgamma)
MATTORA_LONG_DOUBLE_2(atan2)
MATTORA_LONG_DOUBLE_2(fdim)
MATTORA_LONG_DOUBLE_2(fmax)
MATTORA_LONG_DOUBLE_2(fmin)
MATTORA_LONG_DOUBLE_2(fmod)
MATTORA_LONG_DOUBLE_2(hypot)
MATTORA_LONG_DOUBLE_2(nextafter)
MATTORA_LONG_DOUBLE_2(nexttoward)
MATTORA_LONG_DOUBLE_2(pow)
MATTORA_LONG_DOUBLE_2(remainder)

#undef MATTORA_LONG_DOUBLE_1
#undef MATTORA_LONG_DOUBLE_2

static inline long double frexpl(long double x, int* e) { return frexp((double)x, e); }
static inline int ilogbl(long double x) { return ilogb((double)x); }
static inline long double ldexpl(long double x, int e) { return ldexp((double)x, e); }
static inline long double scalbnl(long double x, int e) { return scalbn((double)x, e); }
static inline long double scalblnl(long double x, long e) { return scalbln((double)x, e); }
static inline long double remquol(long double x, long double y, int* q) {
  return remquo((double)x, (double)y, q);
}
static inline long double modfl(long double x, long double* whole) {
  double w;
  double fraction = modf((double)x, &w);
  *whole = w;
  return fraction;
}

#ifdef __cplusplus
}
#endif

#endif
