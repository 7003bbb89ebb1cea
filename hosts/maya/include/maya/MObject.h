#pragma once

#include <maya/MLibraryExport.h>

class MHostAccess;
class MPlug;

// An opaque handle to something the host owns: an attribute or a plug-in.
class OPENMAYA_EXPORT MObject {
 public:
  MObject() = default;
  MObject(const MObject& other) = default;
  MObject& operator=(const MObject& other) = default;

  bool isNull() const { return object_ == nullptr; }
  bool operator==(const MObject& other) const { return object_ == other.object_; }
  bool operator!=(const MObject& other) const { return object_ != other.object_; }

  static MObject kNullObj;

 private:
  friend class MHostAccess;
  friend class MPlug;
  void* object_ = nullptr;
};
