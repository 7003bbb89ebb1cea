#pragma once

#include <maya/MLibraryExport.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstddef>

// Every call acts on the attribute this function set created last.
class OPENMAYA_EXPORT MFnAttribute {
 public:
  MFnAttribute() = default;
  virtual ~MFnAttribute();

  MStatus setKeyable(bool state);
  MStatus setStorable(bool state);
  MStatus setReadable(bool state);
  MStatus setWritable(bool state);
  MStatus setHidden(bool state);
  MStatus setUsedAsColor(bool state);
  MStatus setArray(bool state);
  MStatus setConnectable(bool state);

  bool isKeyable(MStatus* ReturnStatus = NULL) const;
  bool isStorable(MStatus* ReturnStatus = NULL) const;
  bool isReadable(MStatus* ReturnStatus = NULL) const;
  bool isWritable(MStatus* ReturnStatus = NULL) const;
  bool isHidden(MStatus* ReturnStatus = NULL) const;
  bool isUsedAsColor(MStatus* ReturnStatus = NULL) const;
  bool isArray(MStatus* ReturnStatus = NULL) const;

  MString name() const;
  MString shortName() const;

 protected:
  friend class MHostAccess;
  void* attribute_ = nullptr;
};
