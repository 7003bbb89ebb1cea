// Base definitions every devkit header includes. Like the devkit of the 8.0
// era, it needs its consumers to say what they are built for, and stops with
// a message naming the missing definition instead of compiling into a plug-in
// whose classes do not match the host's libraries.
//
// Every class of this devkit has the record layout, special members, access
// levels and virtual tables of the published 8.0 (or 8.5) devkit, so that a
// plug-in built against it is binary-compatible with Maya's own OpenMaya and
// Foundation in the Microsoft C++ ABI. MAYAHOST_LAYOUT holds each class to the
// published size and alignment on this target.
#pragma once

#if defined(_WIN32) && defined(NT_PLUGIN) && !defined(_BOOL)
#define _BOOL
#endif
#if !defined(_BOOL)
#error "define _BOOL: without it this devkit typedefs its own bool, which C++ forbids"
#endif
#if !defined(REQUIRE_IOSTREAM)
#error "define REQUIRE_IOSTREAM: this devkit selects the standard iostream headers by it"
#endif
#if defined(_WIN32)
#if !defined(NT_PLUGIN)
#error "define NT_PLUGIN: this devkit needs it to build a Windows plug-in"
#endif
#elif !defined(linux) && !defined(__APPLE__)
#error \
    "define linux (strict -std=c++17 does not predefine it): this devkit picks its platform by it"
#endif
#if (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 8) || defined(_WIN64)
#if !defined(Bits64_)
#error \
    "define Bits64_ on 64-bit targets: without it the data handles lack the 64-bit library's layout"
#endif
#endif

// The devkit's Maya version: 800 for 8.0, 850 for 8.5. The two differ in
// MPxNode's virtual table and in the API version a plug-in records.
#if defined(MAYAHOST_DEVKIT_API)
#define MAYA_API_VERSION MAYAHOST_DEVKIT_API
#else
#define MAYA_API_VERSION 800
#endif

#include <stddef.h>

#if defined(_WIN32)
#include <basetsd.h>
#include <float.h>
#include <math.h>
#include <string.h>
#include <windows.h>

extern HINSTANCE MhInstPlugin;

#define uint unsigned int
#define ulong unsigned long
#define strcasecmp stricmp
#ifndef M_PI
#define M_PI 3.14159265358979323846
#endif
#define fsqrt(x) ((float)sqrt((double)(x)))
#define fsin(x) ((float)sin((double)(x)))
#define fcos(x) ((float)cos((double)(x)))
#define ftan(x) ((float)tan((double)(x)))
#define fatan(x) ((float)atan((double)(x)))
#define fatan2(y, x) ((float)atan2((double)(y), (double)(x)))
#define isnan _isnan
#define isnanf(x) _isnan((double)(x))
#endif

// Export annotations: the import form unless the library being built says
// otherwise, in MSVC's spelling where the compiler is MSVC-compatible. Off
// Windows the 8.0 era left PLUGIN_EXPORT empty, so a build with hidden
// visibility must make its exports visible by its own means.
#if defined(_WIN32)
#if defined(_MSC_VER)
#define MAYAHOST_DECLSPEC(what) _declspec(what)
#else
#define MAYAHOST_DECLSPEC(what) __declspec(what)
#endif
#ifndef OPENMAYA_EXPORT
#define OPENMAYA_EXPORT MAYAHOST_DECLSPEC(dllimport)
#endif
#ifndef FND_EXPORT
#define FND_EXPORT MAYAHOST_DECLSPEC(dllimport)
#endif
#define PLUGIN_EXPORT MAYAHOST_DECLSPEC(dllexport)
#else
#ifndef OPENMAYA_EXPORT
#define OPENMAYA_EXPORT __attribute__((visibility("default")))
#endif
#ifndef FND_EXPORT
#define FND_EXPORT __attribute__((visibility("default")))
#endif
#define PLUGIN_EXPORT
#endif

// The host's own code reaches the classes' private parts through this friend;
// a friend declaration changes neither layout nor decorated names.
class MHostAccess;

#define MAYAHOST_PICK(value32, value64) (sizeof(void*) == 8 ? (value64) : (value32))
#define MAYAHOST_LAYOUT(T, size32, align32, size64, align64)                                       \
  static_assert(                                                                                   \
      sizeof(T) == MAYAHOST_PICK(size32, size64) && alignof(T) == MAYAHOST_PICK(align32, align64), \
      #T " strays from the published devkit's size or alignment");                                 \
  static_assert(                                                                                   \
      !__is_trivially_copyable(T),                                                                 \
      #T " must not be trivially copyable, or it travels by value unlike the published class")
