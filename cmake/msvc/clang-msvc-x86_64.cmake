# Cross-build DLLs for 64-bit Windows in Microsoft's C++ ABI: clang and
# lld-link, Wine's C runtime headers, msvcrt.dll. See README.md.
set(MATTORA_MSVC_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-msvc-common.cmake)
