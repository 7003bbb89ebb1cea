#pragma once

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MTypes.h>

class MObject;
class MPlug;
class MStatus;

// The values of one node as one evaluating thread sees them.
class OPENMAYA_EXPORT MDataBlock {
 public:
  virtual ~MDataBlock();

  MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
  MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
  MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
  MArrayDataHandle inputArrayValue(const MPlug& plug, MStatus* ReturnStatus = NULL);

 private:
  friend class MHostAccess;
  MDataBlock(void* block);
  void* data;
};

MAYAHOST_LAYOUT(MDataBlock, 8, 4, 16, 8);
static_assert(__is_polymorphic(MDataBlock), "MDataBlock has a virtual destructor as published");
