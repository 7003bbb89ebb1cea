# Which host interfaces the deliverables compile and link against: the
# stand-ins under hosts/ (the default, and all that is tested here), or the
# hosts' own SDKs, which are not on the machines this project is built on.
#
#   -DMATTORA_MAYA_DEVKIT=<devkit>        include/maya/*.h and lib/ with OpenMaya, Foundation
#   -DMATTORA_MENTALRAY_INCLUDE=<folder>  the folder holding the renderer's shader.h
#
# With either set, only the deliverables it names are built: the tests, the
# benchmarks and the preview drive the stand-in hosts and are left out.
set(MATTORA_MAYA_DEVKIT "" CACHE PATH "Maya devkit to build mattora against instead of the stand-in")
set(MATTORA_MENTALRAY_INCLUDE "" CACHE PATH
    "Folder of mental ray's shader.h to build vela_mattora against instead of the stand-in")

# What every file compiled against a Maya devkit of the 8.0 era must be
# compiled with; the headers refuse to compile without it. Strict C++17 does
# not predefine the GNU-style "linux" the headers test, and without Bits64_ a
# 64-bit build's data handles would not match the 64-bit OpenMaya library.
# LINUX and LINUX_64 are what Maya's own Linux builds define beside them.
# Attached to the devkit's library target, stand-in or real, so everything
# that links it gets them.
function(mattora_maya_devkit_definitions target scope)
  set(definitions _BOOL REQUIRE_IOSTREAM)
  if(WIN32)
    list(APPEND definitions NT_PLUGIN)
  elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    list(APPEND definitions linux LINUX)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND definitions Bits64_)
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
      list(APPEND definitions LINUX_64)
    endif()
  endif()
  target_compile_definitions(${target} ${scope} ${definitions})
endfunction()

if(NOT MATTORA_MAYA_DEVKIT AND NOT MATTORA_MENTALRAY_INCLUDE)
  set(MATTORA_SHADER_INCLUDE ${PROJECT_SOURCE_DIR}/hosts/mentalray/include)
  set(MATTORA_HOST_SDKS OFF)
  return()
endif()

set(MATTORA_HOST_SDKS ON)
set(MATTORA_BUILD_TESTS OFF)
set(MATTORA_BUILD_BENCH OFF)
if(MATTORA_MAYA_DEVKIT)
  foreach(library OpenMaya Foundation)
    find_library(MATTORA_${library}_LIBRARY ${library}
      PATHS ${MATTORA_MAYA_DEVKIT}/lib NO_DEFAULT_PATH REQUIRED)
    add_library(${library} UNKNOWN IMPORTED)
    set_target_properties(${library} PROPERTIES
      IMPORTED_LOCATION ${MATTORA_${library}_LIBRARY}
      INTERFACE_INCLUDE_DIRECTORIES ${MATTORA_MAYA_DEVKIT}/include)
  endforeach()
  mattora_maya_devkit_definitions(OpenMaya INTERFACE)
endif()
if(MATTORA_MENTALRAY_INCLUDE)
  set(MATTORA_SHADER_INCLUDE ${MATTORA_MENTALRAY_INCLUDE})
endif()
