# The shader's declaration, vela_mattora.mi, configured once per build: the
# build copies it beside the library, the package installs it, and tests,
# benchmarks and the preview read that copy.
#
# MATTORA_MENTALRAY_NODE_ID is the Maya node id under which Maya's mental ray
# integration knows the node it makes of the shader (the declaration's
# "#: nodeid"). Scenes saved in Maya's binary format record it, so it stays
# fixed; a studio with a registered block of ids of its own sets one from
# that block. It must differ from the mattora node's id, 0x84042
# (maya/mattoraNode.cpp), or Maya would take one node type for the other.
set(MATTORA_MENTALRAY_NODE_ID 0x84043 CACHE STRING
    "Maya node id of the node Maya's mental ray integration makes of vela_mattora (decimal or 0x hex)")
set(nodeIdProblem "it must be a 32-bit Maya node id, decimal or 0x hex")
string(LENGTH "${MATTORA_MENTALRAY_NODE_ID}" nodeIdLength)
# At most ten characters, so that the 64-bit arithmetic below cannot overflow.
if(MATTORA_MENTALRAY_NODE_ID MATCHES "^(0[xX][0-9a-fA-F]+|[0-9]+)$" AND nodeIdLength LESS_EQUAL 10)
  math(EXPR MATTORA_MENTALRAY_NODE_ID_DECIMAL "${MATTORA_MENTALRAY_NODE_ID}" OUTPUT_FORMAT DECIMAL)
  math(EXPR MATTORA_MENTALRAY_NODE_ID_HEX "${MATTORA_MENTALRAY_NODE_ID}" OUTPUT_FORMAT HEXADECIMAL)
  if(MATTORA_MENTALRAY_NODE_ID_DECIMAL EQUAL 540738)
    set(nodeIdProblem "that is the mattora node's id (0x84042); the shader's node needs its own")
  elseif(MATTORA_MENTALRAY_NODE_ID_DECIMAL LESS_EQUAL 4294967295)
    set(nodeIdProblem)
  endif()
endif()
if(nodeIdProblem)
  message(FATAL_ERROR "MATTORA_MENTALRAY_NODE_ID is '${MATTORA_MENTALRAY_NODE_ID}': ${nodeIdProblem}")
endif()

set(MATTORA_SHADER_DECLARATION ${PROJECT_BINARY_DIR}/mentalray/vela_mattora.mi)
configure_file(${PROJECT_SOURCE_DIR}/mentalray/vela_mattora.mi.in ${MATTORA_SHADER_DECLARATION}
  @ONLY)
