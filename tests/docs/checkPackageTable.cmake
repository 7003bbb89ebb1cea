# README's dependency table is printed from cmake/packages.txt; an edit to one
# without the other would send a newcomer installing the wrong packages.
#
#   cmake -DROOT=<source folder> -P checkPackageTable.cmake

cmake_policy(VERSION 3.25)

execute_process(COMMAND ${ROOT}/cmake/install-packages --table
  OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake/install-packages --table failed")
endif()
file(READ ${ROOT}/README.md readme)
if(NOT readme MATCHES "<!-- packages: begin -->\n(.*)<!-- packages: end -->")
  message(FATAL_ERROR "README.md has no <!-- packages: begin/end --> block")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL table)
  message(FATAL_ERROR "README.md's dependency table differs from cmake/packages.txt; "
    "paste in the output of cmake/install-packages --table")
endif()
