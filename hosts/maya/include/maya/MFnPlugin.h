#pragma once

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
