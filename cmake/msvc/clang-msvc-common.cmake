# Shared part of the Microsoft-ABI toolchain files; the including file sets
# MATTORA_MSVC_ARCH (i686 or x86_64).
#
# CMake drives clang's GNU-style driver with a *-windows-msvc target as
# "Clang simulating MSVC": it links through lld-link with -nostdlib and writes
# an import library (.lib) next to each DLL. What it would link by default
# (the Windows SDK's import libraries, a Visual C++ runtime) does not exist
# here; Runtime.cmake supplies the replacements and links them into every
# DLL and program, included at the end of the project's first project().
set(CMAKE_SYSTEM_NAME Windows)
if(MATTORA_MSVC_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
elseif(MATTORA_MSVC_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
else()
  message(FATAL_ERROR "MATTORA_MSVC_ARCH is '${MATTORA_MSVC_ARCH}'; use clang-msvc-i686.cmake or clang-msvc-x86_64.cmake")
endif()

# clang, lld-link (which clang runs from its own folder), llvm-ar (which CMake
# finds there), llvm-rc and llvm-dlltool, all of one LLVM version. The checks
# CMake compiles re-read this file, so they are handed the version.
include(${CMAKE_CURRENT_LIST_DIR}/llvm.cmake)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MATTORA_LLVM_VERSION)
set(CMAKE_C_COMPILER ${MATTORA_LLVM_ROOT}/bin/clang)
set(CMAKE_CXX_COMPILER ${MATTORA_LLVM_ROOT}/bin/clang++)
set(CMAKE_RC_COMPILER ${MATTORA_LLVM_ROOT}/bin/llvm-rc)
set(CMAKE_C_COMPILER_TARGET ${MATTORA_MSVC_ARCH}-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET ${MATTORA_MSVC_ARCH}-pc-windows-msvc)
set(MATTORA_MSVC_DLLTOOL ${MATTORA_LLVM_ROOT}/bin/llvm-dlltool)
set(MATTORA_MSVC_LLD_LINK ${MATTORA_LLVM_ROOT}/bin/lld-link)

# libc++'s headers of the same version (Debian has no libc++ built for
# Windows, and none is needed: see README.md), and libwine-dev's.
set(MATTORA_MSVC_LIBCXX_INCLUDE ${MATTORA_LLVM_ROOT}/include/c++/v1)
set(MATTORA_MSVC_WINE_INCLUDE /usr/include/wine/wine)
foreach(file ${CMAKE_CXX_COMPILER} ${MATTORA_MSVC_LLD_LINK} ${MATTORA_MSVC_DLLTOOL}
             ${MATTORA_MSVC_LIBCXX_INCLUDE} ${MATTORA_MSVC_WINE_INCLUDE}/msvcrt)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "No ${file}: install LLVM ${MATTORA_LLVM_VERSION}'s clang, lld, llvm "
                        "and libc++-dev packages and libwine-dev, or set MATTORA_LLVM_VERSION "
                        "to an LLVM installed under /usr/lib")
  endif()
endforeach()

# Only these headers, in this order: libc++, the wrappers that complete
# Wine's C runtime headers for it, Wine's msvcrt headers, Wine's Windows
# headers; clang's own (intrinsics, stdarg) come last by themselves.
# -nostdlibinc keeps out whatever an INCLUDE variable would add.
set(cIncludes "-nostdlibinc -isystem ${CMAKE_CURRENT_LIST_DIR}/include -isystem ${MATTORA_MSVC_WINE_INCLUDE}/msvcrt -isystem ${MATTORA_MSVC_WINE_INCLUDE}/windows")
# _MSVCR_VER=0: Wine's headers describe msvcrt.dll (fprintf itself, not the
# universal runtime's __stdio_common_vfprintf). WINE_UNICODE_NATIVE: WCHAR is
# wchar_t, as in Windows' own headers, not char16_t, which would change the
# decorated name of every function that takes one.
set(cFlags "${cIncludes} -D_MSVCR_VER=0 -DWINE_UNICODE_NATIVE")
if(MATTORA_MSVC_ARCH STREQUAL "i686")
  # Single precision in SSE registers, as on x86-64: x87 arithmetic would
  # carry extended precision between operations, and the 32-bit DLLs would
  # round differently from every other build.
  string(APPEND cFlags " -msse2 -mfpmath=sse")
endif()
set(CMAKE_C_FLAGS_INIT "${cFlags}")
# libc++ without Microsoft's vcruntime headers, and with nothing left to a
# libc++ DLL: its library code instantiated inline, no dllimport, no
# #pragma comment(lib) for it. No exceptions; two-phase template lookup as
# in the other builds. See README.md.
set(CMAKE_CXX_FLAGS_INIT "-isystem ${MATTORA_MSVC_LIBCXX_INCLUDE} ${cFlags} -D_LIBCPP_NO_VCRUNTIME -D_LIBCPP_DISABLE_EXTERN_TEMPLATE -D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -D_LIBCPP_NO_AUTO_LINK -fno-exceptions -fno-delayed-template-parsing")
unset(cIncludes)
unset(cFlags)

# The objects name default libraries (CMake's MSVC_RUNTIME_LIBRARY adds
# msvcrt.lib, for example) that do not exist here. CMake links through the
# compiler with the compile flags, whose include paths it would warn about.
# /opt:ref also with debug information (which turns it off by default): an
# unreferenced virtual table of an inline-constructed class, such as
# MFnAttribute's, would otherwise stay and import the functions it names.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
      "-Xlinker /nodefaultlib -Xlinker /opt:ref -Wno-unused-command-line-argument")
endforeach()
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Nothing: Runtime.cmake links what is needed")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Nothing: Runtime.cmake links what is needed")

# CMake's compiler checks link programs; the runtime they need is only built
# with the project.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

if(NOT CMAKE_PROJECT_INCLUDE)
  set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/Runtime.cmake)
elseif(NOT CMAKE_PROJECT_INCLUDE STREQUAL "${CMAKE_CURRENT_LIST_DIR}/Runtime.cmake")
  message(WARNING "CMAKE_PROJECT_INCLUDE is taken (${CMAKE_PROJECT_INCLUDE}): "
                  "include ${CMAKE_CURRENT_LIST_DIR}/Runtime.cmake after project() yourself")
endif()
