# The tree a user drops in, and the archives CPack makes of it:
#
#   mattora.mod                    Maya module description: point MAYA_MODULE_PATH here
#   plug-ins/mattora.mll|.so       the Maya plug-in
#   scripts/AEmattoraTemplate.mel  its Attribute Editor layout (Maya puts a
#                                  module's scripts/ on its script path)
#   scripts/AEvela_mattoraTemplate.mel  that of the node Maya's mental ray
#                                  integration makes of the shader
#   mentalray/vela_mattora.dll|.so the mental ray shader library
#   mentalray/vela_mattora.mi      its declaration
#   mentalray/examples/            a scene fragment that uses the shader
#   README.md, LICENSE             the package's own page (docs/install.md) and
#                                  the licence
#
# The example sits in a folder of its own, so that a renderer told to read
# every .mi file of the shader folder does not take it for a declaration.
# Everything is in the component "user"; the archives hold nothing else.

set(MATTORA_PACKAGE_COMPONENT user)

# A deliverable built here, or by the Microsoft-ABI sub-build of a Windows
# build (cmake/MsAbiPart.cmake), where it is an imported target.
function(mattora_install_deliverable target destination)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(imported ${target} IMPORTED)
  if(imported)
    install(FILES $<TARGET_FILE:${target}>
      DESTINATION ${destination} COMPONENT ${MATTORA_PACKAGE_COMPONENT})
  else()
    install(TARGETS ${target}
      LIBRARY DESTINATION ${destination} COMPONENT ${MATTORA_PACKAGE_COMPONENT}
      RUNTIME DESTINATION ${destination} COMPONENT ${MATTORA_PACKAGE_COMPONENT})
  endif()
endfunction()

mattora_install_deliverable(mattora plug-ins)
install(FILES maya/mattora.mod DESTINATION . COMPONENT ${MATTORA_PACKAGE_COMPONENT})
install(FILES maya/AEmattoraTemplate.mel DESTINATION scripts COMPONENT ${MATTORA_PACKAGE_COMPONENT})

mattora_install_deliverable(vela_mattora mentalray)
install(FILES ${MATTORA_SHADER_DECLARATION}
  DESTINATION mentalray COMPONENT ${MATTORA_PACKAGE_COMPONENT})
install(FILES mentalray/AEvela_mattoraTemplate.mel DESTINATION scripts COMPONENT ${MATTORA_PACKAGE_COMPONENT})
set(MATTORA_SHADER_SUFFIX ${CMAKE_SHARED_LIBRARY_SUFFIX})
configure_file(mentalray/vela_mattora_example.mi.in
  ${CMAKE_BINARY_DIR}/package/vela_mattora_example.mi @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/vela_mattora_example.mi
  DESTINATION mentalray/examples COMPONENT ${MATTORA_PACKAGE_COMPONENT})

# A package's user installs a material, not this project: its page says what
# is in it and how to install it, and the developer pages stay out.
install(FILES docs/install.md DESTINATION . RENAME README.md COMPONENT ${MATTORA_PACKAGE_COMPONENT})
install(FILES LICENSE DESTINATION . COMPONENT ${MATTORA_PACKAGE_COMPONENT})

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(MATTORA_PACKAGE_SYSTEM windows-x86)
  else()
    set(MATTORA_PACKAGE_SYSTEM windows-x64)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR} MATTORA_PACKAGE_SYSTEM)
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME mattora)
set(CPACK_PACKAGE_VENDOR "Orrin : Halvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Rough-diffuse material: a Maya shading node and a mental ray shader")
# The plug-in is built for one Maya version's API, which the name says.
if(MATTORA_MAYA_API STREQUAL "850")
  set(MATTORA_PACKAGE_MAYA maya8.5)
else()
  set(MATTORA_PACKAGE_MAYA maya8.0)
endif()
set(CPACK_PACKAGE_FILE_NAME
    mattora-${PROJECT_VERSION}-${MATTORA_PACKAGE_MAYA}-${MATTORA_PACKAGE_SYSTEM})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${MATTORA_PACKAGE_COMPONENT};/")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
