# Cross-build for 32-bit Windows, the hosts' own target, with Debian's
# MinGW-w64 (g++-mingw-w64-i686).
set(MATTORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Single-precision arithmetic in SSE registers, as on x86-64: the x87 default
# would carry extended precision between operations, and the 32-bit libraries
# would then round the reflectance term differently from every other build.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
