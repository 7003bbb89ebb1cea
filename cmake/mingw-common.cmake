# Shared part of the MinGW-w64 toolchain files; the including file sets
# MATTORA_MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
if(MATTORA_MINGW_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# The -posix variants: the -win32 ones of GCC 12 have no std::thread or
# std::mutex. Their winpthread runtime is linked in statically (see
# cmake/Windows.cmake), so nothing of it is needed at run time.
set(CMAKE_C_COMPILER /usr/bin/${MATTORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${MATTORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${MATTORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MATTORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
