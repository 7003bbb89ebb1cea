// The mattora surface-shader node: an Oren-Nayar rough-diffuse material with
// ambient, incandescent and translucent terms, scaled by one minus its
// transparency.
#pragma once

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class mattora : public MPxNode {
 public:
  mattora();
  ~mattora() override;

  void postConstructor() override;
  MStatus compute(const MPlug& plug, MDataBlock& block) override;

  static void* creator();
  static MStatus initialize();

  static MTypeId id;

  // Material inputs.
  static MObject aColor, aColorR, aColorG, aColorB;
  static MObject aTransparency, aTransparencyR, aTransparencyG, aTransparencyB;
  static MObject aAmbientColor, aAmbientColorR, aAmbientColorG, aAmbientColorB;
  static MObject aIncandescence, aIncandescenceR, aIncandescenceG, aIncandescenceB;
  static MObject aDiffuse, aTranslucence, aRoughness;

  // Outputs.
  static MObject aOutColor, aOutColorR, aOutColorG, aOutColorB;
  static MObject aOutTransparency, aOutTransparencyR, aOutTransparencyG, aOutTransparencyB;

  // Filled by the renderer for every shading sample.
  static MObject aNormalCamera, aNormalCameraX, aNormalCameraY, aNormalCameraZ;
  static MObject aRayDirection, aRayDirectionX, aRayDirectionY, aRayDirectionZ;
  static MObject aLightDirection, aLightDirectionX, aLightDirectionY, aLightDirectionZ;
  static MObject aLightIntensity, aLightIntensityR, aLightIntensityG, aLightIntensityB;
  static MObject aLightAmbient, aLightDiffuse, aLightSpecular;
  static MObject aLightShadowFraction, aPreShadowIntensity, aLightBlindData;
  static MObject aLightData;
};
