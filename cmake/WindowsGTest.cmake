# GoogleTest for the Windows test programs. Debian ships no MinGW build of it,
# so its sources (package googletest) are compiled with the cross compiler.
# Without Wine to run them (MATTORA_WINE_SKIPPED, cmake/Windows.cmake) no
# GoogleTest program is built, and mattora_add_test is a no-op.
set(MATTORA_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest sources to build for the Windows test programs")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(MATTORA_WINDOWS_GTEST OFF)
  return()
endif()
if(NOT EXISTS ${MATTORA_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${MATTORA_GOOGLETEST_SOURCE}"
                      " (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${MATTORA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Third-party code: its warnings are not ours to fail on.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
set(MATTORA_WINDOWS_GTEST ON)
