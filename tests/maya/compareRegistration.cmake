# Runs the mayahost tool on a plug-in and compares what it prints, from the
# plug-in's first registered type on, with a reference: the same attributes,
# defaults, flags, limits, dependencies and commands wherever the plug-in and
# the host were built. The first line, with the plug-in's path and API
# version, is not compared.
#
#   cmake -DTOOL=<command;args> -DPLUGIN=<file> -DEXPECTED=<file> -P compareRegistration.cmake

execute_process(COMMAND ${TOOL} ${PLUGIN} OUTPUT_VARIABLE printed ERROR_VARIABLE errors
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mayahost ${PLUGIN} failed (${status}): ${errors}")
endif()
string(REPLACE "\r" "" printed "${printed}")
string(FIND "${printed}" "\n" firstLineEnd)
math(EXPR rest "${firstLineEnd} + 1")
string(SUBSTRING "${printed}" ${rest} -1 printed)
file(READ ${EXPECTED} expected)
if(NOT printed STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/registration-printed.txt "${printed}")
  message(FATAL_ERROR "What ${PLUGIN} registers differs from ${EXPECTED}; it printed "
                      "${CMAKE_CURRENT_BINARY_DIR}/registration-printed.txt")
endif()
message(STATUS "${PLUGIN} registers exactly what ${EXPECTED} holds")
