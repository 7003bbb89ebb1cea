# The Microsoft-ABI half of a Windows build. Maya on Windows is built with the
# Microsoft compiler, so the plug-in, and the stand-in OpenMaya.dll and
# Foundation.dll it links, are built in that ABI: this project again, as a
# sub-build with the clang toolchain of cmake/msvc/ and MATTORA_MSABI_PART
# set. So is the shader library, so that both deliverables round the same
# maths (msvcrt.dll's) in one build. The sub-build's DLLs land in this build's
# bin/ beside the test programs, which stay MinGW programs, and appear here as
# imported targets of the same names.
include(ExternalProject)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(msabiToolchain ${PROJECT_SOURCE_DIR}/cmake/msvc/clang-msvc-i686.cmake)
else()
  set(msabiToolchain ${PROJECT_SOURCE_DIR}/cmake/msvc/clang-msvc-x86_64.cmake)
endif()
set(msabiBin ${CMAKE_BINARY_DIR}/bin)

# What the sub-build makes, and the fixtures the Windows tests load.
set(msabiTargets
  "Foundation SHARED Foundation.dll"
  "OpenMaya SHARED OpenMaya.dll"
  "mattora MODULE mattora.mll"
  "vela_mattora SHARED vela_mattora.dll")
if(MATTORA_BUILD_TESTS)
  list(APPEND msabiTargets
    "msabi_missing_import MODULE msabi_missing_import.mll"
    "msabi_missing_marked_import MODULE msabi_missing_marked_import.mll"
    "msabi_marks_loading SHARED msabi_marks_loading.dll"
    "msabi_other_api MODULE msabi_other_api.mll"
    "msabi_scrambled_node MODULE msabi_scrambled_node.mll"
    "msabi_wrong_kind MODULE msabi_wrong_kind.mll"
    "msabi_other_machine MODULE msabi_other_machine.mll"
    "mattora_lambert_twin MODULE mattora_lambert_twin.mll")
endif()
set(byproducts)
foreach(entry ${msabiTargets})
  separate_arguments(entry)
  list(GET entry 2 file)
  list(APPEND byproducts ${msabiBin}/${file})
endforeach()

ExternalProject_Add(msabi
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/msabi
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${msabiToolchain}
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DMATTORA_MSABI_PART=ON
    -DMATTORA_WERROR=${MATTORA_WERROR}
    -DMATTORA_BUILD_TESTS=${MATTORA_BUILD_TESTS}
    -DMATTORA_MAYA_API=${MATTORA_MAYA_API}
    -DMATTORA_LLVM_VERSION=${MATTORA_LLVM_VERSION}
    -DMATTORA_MENTALRAY_NODE_ID=${MATTORA_MENTALRAY_NODE_ID}
    -DMATTORA_MAYAHOST_DEF=${CMAKE_BINARY_DIR}/hosts/maya/mayahost_core.def
    -DMATTORA_WINDOWS_BIN=${msabiBin}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${byproducts}
  DEPENDS mayahost_core)

foreach(entry ${msabiTargets})
  separate_arguments(entry)
  list(GET entry 0 target)
  list(GET entry 1 kind)
  list(GET entry 2 file)
  add_library(${target} ${kind} IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${msabiBin}/${file})
  if(kind STREQUAL "SHARED")
    string(REGEX REPLACE "\\.dll$" ".lib" implib ${file})
    set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB ${msabiBin}/${implib})
  endif()
  add_dependencies(${target} msabi)
endforeach()
