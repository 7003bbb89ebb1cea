#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MObject.h>
#include <maya/MTypes.h>

class MStatus;
class MString;

class OPENMAYA_EXPORT MFnLightDataAttribute : public MFnAttribute {
 public:
  virtual ~MFnLightDataAttribute();
  virtual MFn::Type type() const;
  MFnLightDataAttribute() {}
  MFnLightDataAttribute(MObject& object, MStatus* ReturnStatus = NULL);
  MFnLightDataAttribute(const MObject& object, MStatus* ReturnStatus = NULL);

  MObject create(const MString& fullName, const MString& briefName, const MObject& direction,
                 const MObject& intensity, const MObject& ambient, const MObject& diffuse,
                 const MObject& specular, const MObject& shadowFraction,
                 const MObject& preShadowIntensity, const MObject& blindData,
                 MStatus* ReturnStatus = NULL);
  MStatus setDefault(float dirX, float dirY, float dirZ, float intenR, float intenG, float intenB,
                     bool ambient, bool diffuse, bool specular, float shadowFraction,
                     float preShadowIntensity, void* blindData);

 protected:
  virtual const char* className() const;
};

MAYAHOST_LAYOUT(MFnLightDataAttribute, 28, 4, 56, 8);
