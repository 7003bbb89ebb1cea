#pragma once

#include <maya/MTypes.h>

class MObject;
class MStatus;

class OPENMAYA_EXPORT MPlug {
 public:
  MPlug();
  MPlug(const MPlug& other);
  MPlug(const MObject& node, const MObject& attribute);
  ~MPlug();
  MPlug& operator=(const MPlug& other);

  bool operator==(const MObject& attribute) const;
  bool operator!=(const MObject& attribute) const;
  MObject attribute(MStatus* ReturnStatus = NULL) const;

 private:
  friend class MHostAccess;
  MPlug(const void* plug, bool networked);
  const void* ptr;
  bool isNetworked;
};

MAYAHOST_LAYOUT(MPlug, 8, 4, 16, 8);
