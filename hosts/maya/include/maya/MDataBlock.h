#pragma once

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

#include <cstddef>

// The values of one node as one evaluating thread sees them.
class OPENMAYA_EXPORT MDataBlock {
 public:
  MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
  MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
  MArrayDataHandle inputArrayValue(const MPlug& plug, MStatus* ReturnStatus = NULL);

 private:
  friend class MHostAccess;
  explicit MDataBlock(void* block) : block_(block) {}
  void* block_;
};
