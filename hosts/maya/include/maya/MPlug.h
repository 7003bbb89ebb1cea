#pragma once

#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <cstddef>

class OPENMAYA_EXPORT MPlug {
 public:
  MPlug() = default;
  bool operator==(const MObject& attribute) const { return attribute_ == attribute.object_; }
  bool operator!=(const MObject& attribute) const { return attribute_ != attribute.object_; }
  MObject attribute(MStatus* ReturnStatus = NULL) const;

 private:
  friend class MHostAccess;
  void* attribute_ = nullptr;
};
