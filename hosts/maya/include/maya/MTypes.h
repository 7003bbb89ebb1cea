// Base definitions every devkit header includes. Like the devkit of the 8.0
// era, it needs its consumers to say what they are built for, and stops with
// a message naming the missing definition instead of compiling into a plug-in
// whose classes do not match the host's libraries.
#pragma once

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

// Empty off Windows, as in the 8.0 era: a build with hidden visibility must
// make its exports visible by its own means.
#if defined(_WIN32)
#if defined(_MSC_VER)
#define PLUGIN_EXPORT _declspec(dllexport)
#else
#define PLUGIN_EXPORT __declspec(dllexport)
#endif
#else
#define PLUGIN_EXPORT
#endif
