#pragma once

#include <maya/MApiVersion.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <cstddef>

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();

class OPENMAYA_EXPORT MFnPlugin {
 public:
  MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
            const char* requiredApiVersion = "Any", MStatus* ReturnStatus = NULL);
  virtual ~MFnPlugin();

  MStatus registerNode(const MString& typeName, const MTypeId& typeId,
                       MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                       MPxNode::Type type = MPxNode::kDependNode,
                       const MString* classification = NULL);
  MStatus deregisterNode(const MTypeId& typeId);

 private:
  void* plugin_;
};

// A Windows plug-in gets its module handle and entry routine from here, as
// from the devkit, unless the including file says it is no plug-in.
#if defined(NT_PLUGIN) && !defined(MNoPluginEntry)
#include <windows.h>
HINSTANCE MhInstPlugin;
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) MhInstPlugin = hInstance;
  return TRUE;
}
#endif
