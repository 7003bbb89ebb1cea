#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MObject.h>
#include <maya/MTypes.h>

class MStatus;
class MString;

class OPENMAYA_EXPORT MFnNumericAttribute : public MFnAttribute {
 public:
  virtual ~MFnNumericAttribute();
  virtual MFn::Type type() const;
  MFnNumericAttribute() {}
  MFnNumericAttribute(MObject& object, MStatus* ReturnStatus = NULL);
  MFnNumericAttribute(const MObject& object, MStatus* ReturnStatus = NULL);

  MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                 double defaultValue = 0, MStatus* ReturnStatus = NULL);
  MObject create(const MString& fullName, const MString& briefName, const MObject& child1,
                 const MObject& child2, const MObject& child3 = MObject::kNullObj,
                 MStatus* ReturnStatus = NULL);
  MObject createAddr(const MString& fullName, const MString& briefName, void* defaultValue = NULL,
                     MStatus* ReturnStatus = NULL);

  MStatus setDefault(bool value);
  MStatus setDefault(char value);
  MStatus setDefault(int value);
  MStatus setDefault(float value);
  MStatus setDefault(double value);
  MStatus setDefault(int a, int b);
  MStatus setDefault(float a, float b);
  MStatus setDefault(double a, double b);
  MStatus setDefault(int a, int b, int c);
  MStatus setDefault(float a, float b, float c);
  MStatus setDefault(double a, double b, double c);
  MStatus setDefault(double a, double b, double c, double d);
  MStatus setMin(double value);
  MStatus setMax(double value);
  MStatus setSoftMin(double value);
  MStatus setSoftMax(double value);

 protected:
  virtual const char* className() const;

 private:
  virtual bool objectChanged(MFn::Type type, MStatus* ReturnStatus);
};

MAYAHOST_LAYOUT(MFnNumericAttribute, 28, 4, 56, 8);
