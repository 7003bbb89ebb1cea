# What every DLL and program of the Microsoft-ABI toolchain links: the small
# runtime in runtime/ (built here as a static library) and import libraries
# for msvcrt.dll and kernel32.dll (made at build time from the .def files in
# runtime/ with llvm-dlltool). The toolchain files have CMake include this
# file at the end of the project's first project() call; from then on every
# target created in the project links them (link_libraries).
include_guard(GLOBAL)

# CMake's own check projects only compile (CMAKE_TRY_COMPILE_TARGET_TYPE).
if(PROJECT_NAME STREQUAL "CMAKE_TRY_COMPILE")
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_LOADED)
  message(FATAL_ERROR "The Microsoft-ABI runtime is C++: enable CXX in project()")
endif()

set(mattoraMsvcRuntimeOut ${CMAKE_BINARY_DIR}/msvc-runtime)
set(mattoraMsvcRuntimeSource ${CMAKE_CURRENT_LIST_DIR}/runtime)

# The .def files as llvm-dlltool reads them: msvcrt.def completed with the
# machine's own names; kernel32.def written for i686, whose stdcall names
# carry "@bytes", which x86-64 names do not.
if(MATTORA_MSVC_ARCH STREQUAL "i686")
  set(mattoraMsvcMachine i386)
else()
  set(mattoraMsvcMachine i386:x86-64)
endif()
file(READ ${mattoraMsvcRuntimeSource}/msvcrt.def mattoraMsvcCommon)
file(READ ${mattoraMsvcRuntimeSource}/msvcrt-${MATTORA_MSVC_ARCH}.def mattoraMsvcOwn)
file(GENERATE OUTPUT ${mattoraMsvcRuntimeOut}/msvcrt.def
     CONTENT "${mattoraMsvcCommon}${mattoraMsvcOwn}")
file(READ ${mattoraMsvcRuntimeSource}/kernel32.def mattoraMsvcKernel32)
if(NOT MATTORA_MSVC_ARCH STREQUAL "i686")
  string(REGEX REPLACE "@[0-9]+" "" mattoraMsvcKernel32 "${mattoraMsvcKernel32}")
endif()
file(GENERATE OUTPUT ${mattoraMsvcRuntimeOut}/kernel32.def CONTENT "${mattoraMsvcKernel32}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${mattoraMsvcRuntimeSource}/msvcrt.def
             ${mattoraMsvcRuntimeSource}/msvcrt-${MATTORA_MSVC_ARCH}.def
             ${mattoraMsvcRuntimeSource}/kernel32.def)

set(mattoraMsvcImportLibraries "")
foreach(dll msvcrt kernel32)
  # -k: i686 code calls Sleep as _Sleep@4, but the DLL exports "Sleep".
  add_custom_command(
    OUTPUT ${mattoraMsvcRuntimeOut}/${dll}.lib
    COMMAND ${MATTORA_MSVC_DLLTOOL} -m ${mattoraMsvcMachine} -k
            -d ${mattoraMsvcRuntimeOut}/${dll}.def -l ${mattoraMsvcRuntimeOut}/${dll}.lib
    DEPENDS ${mattoraMsvcRuntimeOut}/${dll}.def
    COMMENT "Import library for ${dll}.dll"
    VERBATIM)
  list(APPEND mattoraMsvcImportLibraries ${mattoraMsvcRuntimeOut}/${dll}.lib)
endforeach()
add_custom_target(mattora_msvc_import_libraries DEPENDS ${mattoraMsvcImportLibraries})

add_library(mattora_msvc_runtime STATIC
  ${mattoraMsvcRuntimeSource}/dllentry.cpp
  ${mattoraMsvcRuntimeSource}/dllmain.cpp
  ${mattoraMsvcRuntimeSource}/startup.cpp
  ${mattoraMsvcRuntimeSource}/stackProbe.cpp
  ${mattoraMsvcRuntimeSource}/typeInfo.cpp
  ${mattoraMsvcRuntimeSource}/newDelete.cpp)
if(MATTORA_MSVC_ARCH STREQUAL "i686")
  target_sources(mattora_msvc_runtime PRIVATE
    ${mattoraMsvcRuntimeSource}/loadConfig.cpp)
endif()
set_target_properties(mattora_msvc_runtime PROPERTIES
  CXX_STANDARD 17
  CXX_STANDARD_REQUIRED ON
  CXX_EXTENSIONS OFF
  ARCHIVE_OUTPUT_DIRECTORY ${mattoraMsvcRuntimeOut})
target_compile_options(mattora_msvc_runtime PRIVATE -Wall -Wextra -Wpedantic)
target_link_libraries(mattora_msvc_runtime INTERFACE ${mattoraMsvcImportLibraries})
add_dependencies(mattora_msvc_runtime mattora_msvc_import_libraries)

link_libraries(mattora_msvc_runtime)

unset(mattoraMsvcRuntimeOut)
unset(mattoraMsvcRuntimeSource)
unset(mattoraMsvcMachine)
unset(mattoraMsvcCommon)
unset(mattoraMsvcOwn)
unset(mattoraMsvcKernel32)
unset(mattoraMsvcImportLibraries)
