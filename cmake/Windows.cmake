# Settings for the Windows cross builds. The windows-x86 and windows-x64
# presets build with MinGW-w64 (toolchain files cmake/mingw-*.cmake) what only
# the tests use (the stand-in hosts' internals, the test programs) and have a
# Microsoft-ABI sub-build (cmake/MsAbiPart.cmake) make what Maya and mental
# ray load. That sub-build, and a build against a real devkit, have a
# Microsoft-compatible compiler and take none of the MinGW settings.
if(CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC" OR MSVC)
  set(MATTORA_WINDOWS_ABI microsoft)
else()
  set(MATTORA_WINDOWS_ABI gnu)
endif()

# Windows names DLLs without the lib prefix: OpenMaya.dll, vela_mattora.dll.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

if(MATTORA_WINDOWS_ABI STREQUAL "microsoft")
  if(MATTORA_WINDOWS_BIN)
    # The sub-build writes into the MinGW build's bin/, where the tests are.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${MATTORA_WINDOWS_BIN})
    set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${MATTORA_WINDOWS_BIN})
    set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${MATTORA_WINDOWS_BIN})
  endif()
  return()
endif()

# The test programs link libgcc, libstdc++ and winpthread in, so that they
# run on a machine without a MinGW runtime. -static covers winpthread, which
# the -posix compilers would otherwise import as libwinpthread-1.dll.
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " -static-libgcc -static-libstdc++ -static")
endforeach()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MATTORA_PE_MACHINE i386)
  set(wineLoader /usr/lib/wine/wine)
  set(winePackage wine32:i386)
else()
  set(MATTORA_PE_MACHINE x86-64)
  set(wineLoader /usr/lib/wine/wine64)
  set(winePackage wine64)
endif()

# What reads the tables of the build's DLLs and programs (cmake/check-dll-tables,
# cmake/wine-run): the Microsoft-ABI sub-build's LLVM.
include(${CMAKE_CURRENT_LIST_DIR}/msvc/llvm.cmake)
find_program(MATTORA_LLVM_READOBJ llvm-readobj PATHS ${MATTORA_LLVM_ROOT}/bin NO_DEFAULT_PATH
             REQUIRED)

# Both builds run their test programs under Wine (cmake/wine-run picks the
# loader by each program's machine). A kernel built or booted without 32-bit
# emulation refuses i386 programs, Wine's loader among them; a tiny i386
# Linux program, assembled and linked with binutils alone, finds that out
# before any test relies on it. Without a loader the build only builds and
# checks its libraries, and MATTORA_WINE_SKIPPED says why (a skipped test in
# tests/windows, and a file CI reads).
set(MATTORA_WINE_SKIPPED "")
if(NOT EXISTS ${wineLoader})
  set(MATTORA_WINE_SKIPPED "no Wine loader ${wineLoader} (Debian package ${winePackage})")
elseif(MATTORA_PE_MACHINE STREQUAL "i386")
  set(probe ${CMAKE_BINARY_DIR}/kernel-probe)
  file(MAKE_DIRECTORY ${probe})
  file(WRITE ${probe}/exit0.s
       ".globl _start\n_start:\n  movl $1, %eax\n  xorl %ebx, %ebx\n  int $0x80\n")
  execute_process(
    COMMAND as --32 -o exit0.o exit0.s
    WORKING_DIRECTORY ${probe} RESULT_VARIABLE built ERROR_VARIABLE message)
  if(built EQUAL 0)
    execute_process(COMMAND ld -m elf_i386 -o exit0 exit0.o
                    WORKING_DIRECTORY ${probe} RESULT_VARIABLE built ERROR_VARIABLE message)
  endif()
  if(NOT built EQUAL 0)
    string(STRIP "${message}" message)
    set(MATTORA_WINE_SKIPPED "cannot build the 32-bit kernel probe: ${message}")
  else()
    execute_process(COMMAND ${probe}/exit0 RESULT_VARIABLE ran)
    if(NOT ran STREQUAL "0")
      set(MATTORA_WINE_SKIPPED "this kernel refuses 32-bit programs (an i386 probe program: ${ran})")
    endif()
  endif()
endif()
if(MATTORA_WINE_SKIPPED)
  message(STATUS "Windows tests under Wine skipped: ${MATTORA_WINE_SKIPPED}")
  file(WRITE ${CMAKE_BINARY_DIR}/wine-skipped "${MATTORA_WINE_SKIPPED}\n")
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/wine-skipped)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run
      --readobj ${MATTORA_LLVM_READOBJ} --prefix ${CMAKE_BINARY_DIR}/wineprefix)
endif()

# Windows looks for a program's DLLs in the program's own folder first: every
# program and DLL of the build goes into one, so that test programs load the
# libraries just built, as a host loads them from its plug-in folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
