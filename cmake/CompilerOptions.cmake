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
