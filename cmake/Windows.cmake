# Settings for the MinGW-w64 cross builds (toolchain files cmake/mingw-*.cmake).

# The deliverables must load into a host on a machine that has no MinGW
# runtime: link libgcc, libstdc++ and winpthread in, so that the DLLs import
# nothing but Windows system DLLs. -static covers winpthread, which the
# -posix compilers would otherwise import as libwinpthread-1.dll; import
# libraries given by path (OpenMaya, Foundation) still link as imports.
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " -static-libgcc -static-libstdc++ -static")
endforeach()

# Windows names DLLs without the lib prefix: OpenMaya.dll, vela_mattora.dll.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

# The 64-bit build runs its test programs under Wine; 32-bit programs cannot
# run on machines whose kernel has 32-bit emulation switched off, so the
# i686 build only builds and checks its libraries.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64" AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/cmake/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix)
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MATTORA_PE_MACHINE i386)
else()
  set(MATTORA_PE_MACHINE x86-64)
endif()

# Windows looks for a program's DLLs in the program's own folder first: every
# program and DLL of the build goes into one, so that test programs load the
# libraries just built, as a host loads them from its plug-in folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
