// The host's calls into a plug-in's own code. They are made here because
// OpenMaya is compiled from the devkit's declarations in the plug-in's C++
// ABI: the compiler passes the MObject to an entry point by value, returns
// MStatus through a hidden pointer and reaches the node's virtual functions
// through its table, exactly as Maya does, on every platform. The host's
// records reach these calls through the C table of hostCore.h.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>

#include "hostAccess.h"
#include "mayahost/host.h"

// The driver API numbers statuses and node kinds as the devkit does.
#define MAYAHOST_SAME_CODE(code)                                   \
  static_assert(int{mayahost::Status::code} == int{MStatus::code}, \
                "mayahost::Status::" #code " must be MStatus's");
MAYAHOST_STATUS_CODES(MAYAHOST_SAME_CODE)
#undef MAYAHOST_SAME_CODE
static_assert(mayahost::kDependNode == MPxNode::kDependNode,
              "mayahost::kDependNode must be MPxNode's");

namespace {

int callEntry(void* entry, void* plugin) {
  MObject object;
  MHostAccess::set(object, plugin, MAYAHOST_OBJECT_PLUGIN);
  return MHostAccess::code(reinterpret_cast<MStatus (*)(MObject)>(entry)(object));
}

MPxNode* asNode(void* node) { return static_cast<MPxNode*>(node); }
const MPxNode* asNode(const void* node) { return static_cast<const MPxNode*>(node); }

void* nodeRecord(const void* node) { return MHostAccess::record(*asNode(node)); }

void postConstructor(void* node) { asNode(node)->postConstructor(); }

int compute(void* node, const void* plug, void* block) {
  MDataBlock data = MHostAccess::dataBlock(block);
  return MHostAccess::code(asNode(node)->compute(MHostAccess::plug(plug), data));
}

int type(const void* node) { return asNode(node)->type(); }

int isAbstractClass(const void* node) { return asNode(node)->isAbstractClass(); }

void destroy(void* node) { delete asNode(node); }

constexpr mayahost_calls kCalls = {callEntry, nodeRecord,      postConstructor, compute,
                                   type,      isAbstractClass, destroy};

}  // namespace

extern "C" OPENMAYA_EXPORT const mayahost_calls* mayahost_plugin_calls(void) { return &kCalls; }
