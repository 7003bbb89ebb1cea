# Instrumented builds: sanitizers for the test suite and libFuzzer targets.
#
# MATTORA_SANITIZE takes a comma-separated -fsanitize= list ("address,undefined"
# or "thread"). The flags go on every target, deliverables included, so a fault
# inside a library that a stand-in host loads is caught where it happens.
#
# MATTORA_FUZZ builds the fuzz targets against libFuzzer, which only clang
# provides. Everything else is then compiled with fuzzer-no-link so libFuzzer
# also sees coverage inside the deliverables it drives. Without the option the
# same fuzz sources are still built, with a small driver that replays the
# committed seed inputs, so every compiler checks they still pass.
set(MATTORA_SANITIZE "" CACHE STRING "Sanitizers for every target (-fsanitize= list)")
option(MATTORA_FUZZ "Build the fuzz targets with libFuzzer (clang only)" OFF)

if(MATTORA_SANITIZE)
  add_compile_options(-fsanitize=${MATTORA_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${MATTORA_SANITIZE} -fno-sanitize-recover=all)
endif()

if(MATTORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MATTORA_FUZZ needs clang (libFuzzer); this build uses "
                        "${CMAKE_CXX_COMPILER_ID}. Use the asan preset.")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
