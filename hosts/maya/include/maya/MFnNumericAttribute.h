#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstddef>

class OPENMAYA_EXPORT MFnNumericAttribute : public MFnAttribute {
 public:
  MFnNumericAttribute() = default;
  ~MFnNumericAttribute() override;

  MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                 double defaultValue = 0, MStatus* ReturnStatus = NULL);
  MObject create(const MString& fullName, const MString& briefName, const MObject& child1,
                 const MObject& child2, const MObject& child3 = MObject::kNullObj,
                 MStatus* ReturnStatus = NULL);
  MObject createAddr(const MString& fullName, const MString& briefName, void* defaultValue = NULL,
                     MStatus* ReturnStatus = NULL);

  MStatus setDefault(bool value);
  MStatus setDefault(int value);
  MStatus setDefault(float value);
  MStatus setDefault(double value);
  MStatus setDefault(float a, float b, float c);
  MStatus setDefault(double a, double b, double c);
  MStatus setMin(double value);
  MStatus setMax(double value);
  MStatus setSoftMin(double value);
  MStatus setSoftMax(double value);
};
