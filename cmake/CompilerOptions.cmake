# Flags every target of the project shares.
#
# -ffp-contract=off: no fused multiply-adds, so the reflectance term rounds the
#   same in both deliverables and on every machine.
# -fno-math-errno: lets sqrtf become one instruction; results are unchanged.
# -ffile-prefix-map: sources appear by their path inside the repository (in
#   __FILE__ of the status reports and in debug info), never a build machine's.
add_compile_options(
  -Wall -Wextra -Wpedantic
  -ffp-contract=off
  -fno-math-errno
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
if(MATTORA_WERROR)
  add_compile_options(-Werror)
endif()
# Maya's plug-in entry points are C-linkage functions that return MStatus, a
# class; that is the host's ABI, which clang (the sanitizer and fuzz builds)
# would otherwise reject under -Werror.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-Wno-return-type-c-linkage)
endif()

# Code that runs once per shading sample: the two deliverables (and the
# benchmarks' twins of them, which must be built the same way).
#
# GCC's and Clang's straight-line vectoriser packs two or three float
# operations on colours and vectors into one four-lane instruction, whose
# spare lanes take whatever lies next to the values (another local on the
# stack, the next attribute in a data block). Results never depend on those
# lanes, but a division whose spare lane holds a denormal bit pattern takes a
# microcode assist costing far more than the scalar divisions it replaced:
# the average of each light's samples in the shader and every normalisation
# in the node were packed this way. Scalar code has no spare lanes.
function(mattora_per_sample_code target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-tree-slp-vectorize)
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${target} PRIVATE -fno-slp-vectorize)
  endif()
endfunction()

# A library a host loads by file name: no "lib" prefix, nothing visible but
# the entry points it exports itself, and per-sample code built as above.
# WINDOWS_SUFFIX names it for Windows (the Maya plug-in is an .mll) and keeps
# ".so" elsewhere, where CMake would otherwise pick a platform default.
function(mattora_loadable_library target)
  cmake_parse_arguments(ARG "" "WINDOWS_SUFFIX" "" ${ARGN})
  mattora_per_sample_code(${target})
  if(NOT WIN32)
    # GCC 5 and later call the sized operator delete, which only a libstdc++
    # of that age exports (CXXABI_1.3.9); Linux Maya 8.x and the renderer of
    # its time run one of GCC 4.0/4.1, whose plain operator delete serves.
    target_compile_options(${target} PRIVATE -fno-sized-deallocation)
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_WINDOWS_SUFFIX)
    if(WIN32)
      set_target_properties(${target} PROPERTIES SUFFIX ${ARG_WINDOWS_SUFFIX})
    else()
      set_target_properties(${target} PROPERTIES SUFFIX ".so")
    endif()
  endif()
endfunction()
