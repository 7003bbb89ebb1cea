#pragma once

#include <maya/MFnBase.h>
#include <maya/MTypes.h>

class MObject;
class MStatus;
class MString;

// Every call acts on the attribute the function set created last.
class OPENMAYA_EXPORT MFnAttribute : public MFnBase {
 public:
  virtual ~MFnAttribute();
  virtual MFn::Type type() const;
  MFnAttribute() {}
  MFnAttribute(MObject& object, MStatus* ReturnStatus = NULL);
  MFnAttribute(const MObject& object, MStatus* ReturnStatus = NULL);

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
  bool isConnectable(MStatus* ReturnStatus = NULL) const;

  MString name() const;
  MString shortName() const;

 protected:
  virtual const char* className() const;
  void* ca[3];

 private:
  virtual bool objectChanged(MFn::Type type, MStatus* ReturnStatus);
};

MAYAHOST_LAYOUT(MFnAttribute, 28, 4, 56, 8);
