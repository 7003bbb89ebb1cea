#pragma once

#include <maya/MFloatVector.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>

// A view of one attribute's value in a data block. The references it hands
// out designate the block's own storage; a handle that designates nothing
// hands out a zeroed scratch value instead.
class OPENMAYA_EXPORT MDataHandle {
 public:
  MDataHandle() = default;

  float& asFloat();
  bool& asBool();
  MFloatVector& asFloatVector();
  void*& asAddr();
  MDataHandle child(const MObject& attribute);
  void setClean();
  void set(float value);
  void set(const MFloatVector& value);
  void set(float x, float y, float z);

 private:
  friend class MHostAccess;
  const void* attribute_ = nullptr;
  void* data_ = nullptr;
  void* block_ = nullptr;
};
