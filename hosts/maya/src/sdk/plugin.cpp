// MFnPlugin, MPxNode and MGlobal: registration and the node base class.
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include "hostAccess.h"

MFnPlugin::MFnPlugin() = default;

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version,
                     const char* requiredApiVersion, MStatus* status) {
  void* plugin = MHostAccess::target(object, MAYAHOST_OBJECT_PLUGIN);
  const int code = plugin ? mayahost_plugin_identify(plugin, vendor, version, requiredApiVersion)
                          : MStatus::kInvalidParameter;
  MHostAccess::setCurrent(*this, code == MStatus::kSuccess ? plugin : nullptr);
  MHostAccess::report(code, status);
}

MFnPlugin::~MFnPlugin() = default;
MFn::Type MFnPlugin::type() const { return MFn::kPlugin; }
const char* MFnPlugin::className() const { return "MFnPlugin"; }

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString* classification) {
  const int begun = mayahost_register_begin(MHostAccess::current(*this), typeName.asChar(),
                                            typeId.id(), creatorFunction, type,
                                            classification ? classification->asChar() : nullptr);
  if (begun != MStatus::kSuccess) return MHostAccess::status(begun);
  const MStatus initialized = initFunction ? initFunction() : MStatus(MStatus::kSuccess);
  return MHostAccess::status(mayahost_register_end(MHostAccess::code(initialized)));
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
  return MHostAccess::status(mayahost_deregister(MHostAccess::current(*this), typeId.id()));
}

MPxNode::MPxNode() : instance(mayahost_node_constructed()) {}
MPxNode::~MPxNode() { mayahost_node_destroyed(instance); }
void MPxNode::postConstructor() {}
MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MStatus::kUnknownParameter; }
bool MPxNode::getInternalValueInContext(const MPlug&, MDataHandle&, MDGContext&) { return false; }
bool MPxNode::setInternalValueInContext(const MPlug&, const MDataHandle&, MDGContext&) {
  return false;
}
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) { return false; }
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) { return false; }
int MPxNode::internalArrayCount(const MPlug&, const MDGContext&) const { return -1; }
void MPxNode::copyInternalData(MPxNode*) {}
MStatus MPxNode::legalConnection(const MPlug&, const MPlug&, bool, bool&) const {
  return MStatus::kUnknownParameter;
}
MStatus MPxNode::legalDisconnection(const MPlug&, const MPlug&, bool, bool&) const {
  return MStatus::kUnknownParameter;
}
MStatus MPxNode::setDependentsDirty(const MPlug&, MPlugArray&) { return MStatus::kSuccess; }
MStatus MPxNode::connectionMade(const MPlug&, const MPlug&, bool) {
  return MStatus::kUnknownParameter;
}
MStatus MPxNode::connectionBroken(const MPlug&, const MPlug&, bool) {
  return MStatus::kUnknownParameter;
}
#if MAYA_API_VERSION >= 850
bool MPxNode::isPassiveOutput(const MPlug&) const { return false; }
#endif
MStatus MPxNode::shouldSave(const MPlug&, bool&) { return MStatus::kUnknownParameter; }
MPlug MPxNode::passThroughToOne(const MPlug&) const { return MPlug(); }
bool MPxNode::passThroughToMany(const MPlug&, MPlugArray&) const { return false; }
MPxNode::Type MPxNode::type() const { return kDependNode; }
bool MPxNode::isAbstractClass() const { return false; }

void MPxNode::setMPSafe(bool flag) { mayahost_node_set_mpsafe(instance, flag); }

MStatus MPxNode::addAttribute(const MObject& attr) {
  return MHostAccess::status(mayahost_add_attribute(MHostAccess::attribute(attr)));
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
  return MHostAccess::status(mayahost_attribute_affects(MHostAccess::attribute(whenChanges),
                                                        MHostAccess::attribute(isAffected)));
}

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled) {
  return MHostAccess::status(
      mayahost_execute_command(command.asChar(), displayEnabled, undoEnabled));
}
MStatus MGlobal::executeCommand(const MString&, MCommandResult&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, int&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, MIntArray&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, double&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, MDoubleArray&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, MString&, bool, bool) {
  return MStatus::kNotImplemented;
}
MStatus MGlobal::executeCommand(const MString&, MStringArray&, bool, bool) {
  return MStatus::kNotImplemented;
}
