#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstddef>

class OPENMAYA_EXPORT MFnLightDataAttribute : public MFnAttribute {
 public:
  MFnLightDataAttribute() = default;
  ~MFnLightDataAttribute() override;

  MObject create(const MString& fullName, const MString& briefName, const MObject& direction,
                 const MObject& intensity, const MObject& ambient, const MObject& diffuse,
                 const MObject& specular, const MObject& shadowFraction,
                 const MObject& preShadowIntensity, const MObject& blindData,
                 MStatus* ReturnStatus = NULL);
  MStatus setDefault(float dirX, float dirY, float dirZ, float intenR, float intenG, float intenB,
                     bool ambient, bool diffuse, bool specular, float shadowFraction,
                     float preShadowIntensity, void* blindData);
};
