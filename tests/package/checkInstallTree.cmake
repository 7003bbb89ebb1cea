# Installs the user component of a build into a scratch folder and checks the
# tree a user would get: exactly the expected files, a module description that
# points Maya at the package itself, and an example scene whose link,
# $include and parameter names match what is installed beside it.
#
# With FLOOR (a Linux build), also what the installed libraries ask of the
# system (FLOOR is the check-elf-floor command), their exports (read with NM),
# and that MAYAHOST loads the installed plug-in as Linux Maya would, given
# Maya's libraries in MAYA_LIBRARIES, and reads MApiVersion MAYA_API from it.
#
#   cmake -DBUILD_DIR=... -DSTAGE=... -DCOMPONENT=... -DEXPECTED="a;b"
#         [-DFLOOR=... -DNM=... -DMAYAHOST=... -DMAYA_LIBRARIES=... -DMAYA_API=...]
#         -P checkInstallTree.cmake

cmake_policy(VERSION 3.25)

file(REMOVE_RECURSE ${STAGE})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE} --component ${COMPONENT}
  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${log}")
endif()

set(problems)
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
foreach(path ${EXPECTED})
  if(NOT path IN_LIST installed)
    list(APPEND problems "missing: ${path}")
  endif()
endforeach()
foreach(path ${installed})
  if(NOT path IN_LIST EXPECTED)
    list(APPEND problems "not expected: ${path}")
  endif()
endforeach()

# Maya adds <module>/plug-ins to its plug-in path; the module is the folder of
# the .mod file when its path is ".".
if(EXISTS ${STAGE}/mattora.mod)
  file(STRINGS ${STAGE}/mattora.mod moduleLines)
  list(GET moduleLines 0 moduleLine)
  if(NOT moduleLine STREQUAL "+ mattora 1.0 .")
    list(APPEND problems "mattora.mod starts with \"${moduleLine}\"")
  endif()
endif()

# Maya runs AE<type>Template for the Attribute Editor of a node of that type.
foreach(type mattora vela_mattora)
  set(template ${STAGE}/scripts/AE${type}Template.mel)
  if(EXISTS ${template})
    file(READ ${template} templateText)
    if(NOT templateText MATCHES "global proc AE${type}Template\\(string \\$nodeName\\)")
      list(APPEND problems "scripts/AE${type}Template.mel defines no global proc AE${type}Template")
    endif()
  endif()
endforeach()

# The package's page is read in the unpacked package: a link to a page of
# the project's would lead nowhere there.
if(EXISTS ${STAGE}/README.md)
  file(READ ${STAGE}/README.md page)
  # Square brackets would group a CMake list's items, so the links lose them.
  string(REPLACE "](" " link(" page "${page}")
  string(REGEX MATCHALL " link\\([^)#]+" links "${page}")
  foreach(link ${links})
    string(SUBSTRING "${link}" 6 -1 target)
    if(NOT target MATCHES "^[a-z]+:" AND NOT EXISTS ${STAGE}/${target})
      list(APPEND problems "README.md links to ${target}, which the package does not hold")
    endif()
  endforeach()
endif()

set(example ${STAGE}/mentalray/examples/vela_mattora_example.mi)
set(declaration ${STAGE}/mentalray/vela_mattora.mi)
if(EXISTS ${example} AND EXISTS ${declaration})
  file(READ ${example} exampleText)
  file(READ ${declaration} declarationText)
  string(REGEX MATCH "\nlink \"([^\"]+)\"" _ "${exampleText}")
  if(NOT CMAKE_MATCH_1 OR NOT EXISTS ${STAGE}/mentalray/${CMAKE_MATCH_1})
    list(APPEND problems "the example links \"${CMAKE_MATCH_1}\", which is not installed beside it")
  endif()
  string(REGEX MATCH "\n\\$include \"([^\"]+)\"" _ "${exampleText}")
  if(NOT CMAKE_MATCH_1 STREQUAL "vela_mattora.mi")
    list(APPEND problems "the example includes \"${CMAKE_MATCH_1}\", not the declaration")
  endif()
  # Every parameter the material sets must be one the declaration declares.
  string(REGEX MATCH "\"vela_mattora\" \\(([^)]*)\\)" _ "${exampleText}")
  string(REGEX MATCHALL "\n *\"[A-Za-z_]+\"" names "${CMAKE_MATCH_1}")
  if(NOT names)
    list(APPEND problems "the example's material sets no vela_mattora parameter")
  endif()
  foreach(name ${names})
    string(STRIP "${name}" name)
    if(NOT declarationText MATCHES "[a-z] +${name}")
      list(APPEND problems "the example sets ${name}, which vela_mattora.mi does not declare")
    endif()
  endforeach()
endif()

if(FLOOR)
  set(plugin ${STAGE}/plug-ins/mattora.so)
  set(shader ${STAGE}/mentalray/vela_mattora.so)
  execute_process(COMMAND ${FLOOR} ${plugin} ${shader}
    RESULT_VARIABLE status OUTPUT_VARIABLE floorLog ERROR_VARIABLE floorLog)
  message(STATUS "${floorLog}")
  if(NOT status EQUAL 0)
    string(REGEX REPLACE "(^|\n)== [^\n]*" "" floorLog "${floorLog}")
    string(STRIP "${floorLog}" floorLog)
    list(APPEND problems "${floorLog}")
  endif()

  foreach(pair
      "${plugin}|MApiVersion;_Z16initializePlugin7MObject;_Z18uninitializePlugin7MObject;initializePlugin;uninitializePlugin"
      "${shader}|miSetModuleHandle;vela_mattora;vela_mattora_version")
    string(REPLACE "|" ";" pair "${pair}")
    list(POP_FRONT pair library)
    execute_process(COMMAND ${NM} -D --defined-only --format=posix ${library}
      OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    string(REGEX REPLACE " [^\n]*" "" symbols "${symbols}")
    string(REPLACE "\n" ";" symbols "${symbols}")
    list(FILTER symbols EXCLUDE REGEX "^$")
    list(SORT symbols)
    if(NOT status EQUAL 0 OR NOT symbols STREQUAL pair)
      list(APPEND problems "${library} exports [${symbols}], expected [${pair}]")
    endif()
  endforeach()

  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${MAYA_LIBRARIES} ${MAYAHOST} ${plugin}
    RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    list(APPEND problems "mayahost refuses the installed plug-in: ${errors}")
  elseif(NOT printed MATCHES "MApiVersion \"${MAYA_API}\"\n")
    string(REGEX MATCH "^[^\n]*" first "${printed}")
    list(APPEND problems "the installed plug-in is not of API ${MAYA_API}: ${first}")
  endif()
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "install tree in ${STAGE}:\n  ${text}")
endif()
list(JOIN installed "\n  " text)
message(STATUS "install tree in ${STAGE}:\n  ${text}")
