#pragma once

#include <maya/MApiVersion.h>
#include <maya/MFnBase.h>
#include <maya/MPxNode.h>
#include <maya/MTypes.h>

class MObject;
class MStatus;
class MString;
class MTypeId;

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();

class OPENMAYA_EXPORT MFnPlugin : public MFnBase {
 public:
  MFnPlugin();
  MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
            const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0);
  virtual ~MFnPlugin();
  virtual MFn::Type type() const;

  MStatus registerNode(const MString& typeName, const MTypeId& typeId,
                       MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                       MPxNode::Type type = MPxNode::kDependNode,
                       const MString* classification = NULL);
  MStatus deregisterNode(const MTypeId& typeId);

 protected:
  virtual const char* className() const;

 private:
  MFnPlugin(const MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
            const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0);
};

MAYAHOST_LAYOUT(MFnPlugin, 16, 4, 32, 8);

// A Windows plug-in gets its module handle and entry routine from here, as
// from the devkit, unless the including file says it is no plug-in.
#if defined(NT_PLUGIN) && !defined(MNoPluginEntry)
HINSTANCE MhInstPlugin;
extern "C" int APIENTRY DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  MhInstPlugin = hInstance;
  return 1;
}
#endif
