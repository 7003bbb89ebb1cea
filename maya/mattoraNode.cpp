#include "mattoraNode.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatVector.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MString.h>

#include <cstdio>
#include <optional>

#include "core/orenNayar.h"

// The benchmarks build a twin of this node with a plain Lambert model here.
#ifdef MATTORA_DIFFUSE_MODEL_HEADER
#include MATTORA_DIFFUSE_MODEL_HEADER
#endif
#ifndef MATTORA_DIFFUSE_MODEL
#define MATTORA_DIFFUSE_MODEL orennayar::OrenNayar
#endif

MTypeId mattora::id(0x84042);

MObject mattora::aColor, mattora::aColorR, mattora::aColorG, mattora::aColorB;
MObject mattora::aTransparency, mattora::aTransparencyR, mattora::aTransparencyG,
    mattora::aTransparencyB;
MObject mattora::aAmbientColor, mattora::aAmbientColorR, mattora::aAmbientColorG,
    mattora::aAmbientColorB;
MObject mattora::aIncandescence, mattora::aIncandescenceR, mattora::aIncandescenceG,
    mattora::aIncandescenceB;
MObject mattora::aDiffuse, mattora::aTranslucence, mattora::aRoughness;
MObject mattora::aOutColor, mattora::aOutColorR, mattora::aOutColorG, mattora::aOutColorB;
MObject mattora::aOutTransparency, mattora::aOutTransparencyR, mattora::aOutTransparencyG,
    mattora::aOutTransparencyB;
MObject mattora::aNormalCamera, mattora::aNormalCameraX, mattora::aNormalCameraY,
    mattora::aNormalCameraZ;
MObject mattora::aRayDirection, mattora::aRayDirectionX, mattora::aRayDirectionY,
    mattora::aRayDirectionZ;
MObject mattora::aLightDirection, mattora::aLightDirectionX, mattora::aLightDirectionY,
    mattora::aLightDirectionZ;
MObject mattora::aLightIntensity, mattora::aLightIntensityR, mattora::aLightIntensityG,
    mattora::aLightIntensityB;
MObject mattora::aLightAmbient, mattora::aLightDiffuse, mattora::aLightSpecular;
MObject mattora::aLightShadowFraction, mattora::aPreShadowIntensity, mattora::aLightBlindData;
MObject mattora::aLightData;

namespace {

// The source line a status report names: the check's own.
struct Site {
  const char* file;
  int line;
};
#define HERE (Site{__FILE__, __LINE__})

// A failed light-data call is reported with the line of its check and the
// initialiser carries on: registration must not fail over an attribute.
void reportStatus(const MStatus& status, Site site) {
  if (status == MStatus::kSuccess) return;
  std::fprintf(stderr, "\nAPI error detected in %s at line %d\n", site.file, site.line);
  std::fflush(stderr);
  status.perror("");
}

#define CHECK_STATUS(status) reportStatus((status), HERE)

// The calls that follow the creation of each child of the light data, which
// the renderer fills per sample: not storable, hidden, read-only, then the
// default when it has one. Each call's status is reported, like the
// creation's, at the line that makes the child.
template <typename... Default>
void lightChild(MFnNumericAttribute& nAttr, const MStatus& created, Site site,
                Default... defaultValue) {
  reportStatus(created, site);
  reportStatus(nAttr.setStorable(false), site);
  reportStatus(nAttr.setHidden(true), site);
  reportStatus(nAttr.setReadable(true), site);
  reportStatus(nAttr.setWritable(false), site);
  if constexpr (sizeof...(defaultValue) > 0) reportStatus(nAttr.setDefault(defaultValue...), site);
}

orennayar::Vec3 vec3(const MFloatVector& v) { return orennayar::Vec3{v.x, v.y, v.z}; }

bool sameVector(const MFloatVector& a, const MFloatVector& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

}  // namespace

mattora::mattora() = default;
mattora::~mattora() = default;

void* mattora::creator() { return new mattora(); }

void mattora::postConstructor() { setMPSafe(true); }

MStatus mattora::initialize() {
  MFnNumericAttribute nAttr;
  MFnLightDataAttribute lAttr;

  aColorR = nAttr.create("colorR", "cr", MFnNumericData::kFloat, 0.5);
  aColorG = nAttr.create("colorG", "cg", MFnNumericData::kFloat, 0.5);
  aColorB = nAttr.create("colorB", "cb", MFnNumericData::kFloat, 0.5);
  aColor = nAttr.create("color", "c", aColorR, aColorG, aColorB);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.5f, 0.5f, 0.5f);
  nAttr.setUsedAsColor(true);

  aTransparencyR = nAttr.create("transparencyR", "itr", MFnNumericData::kFloat, 0.0);
  aTransparencyG = nAttr.create("transparencyG", "itg", MFnNumericData::kFloat, 0.0);
  aTransparencyB = nAttr.create("transparencyB", "itb", MFnNumericData::kFloat, 0.0);
  aTransparency =
      nAttr.create("transparency", "it", aTransparencyR, aTransparencyG, aTransparencyB);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.0f, 0.0f, 0.0f);
  nAttr.setUsedAsColor(true);

  aAmbientColorR = nAttr.create("ambientColorR", "ambCR", MFnNumericData::kFloat, 0.0);
  aAmbientColorG = nAttr.create("ambientColorG", "ambCG", MFnNumericData::kFloat, 0.0);
  aAmbientColorB = nAttr.create("ambientColorB", "ambCB", MFnNumericData::kFloat, 0.0);
  aAmbientColor =
      nAttr.create("ambientColor", "ambC", aAmbientColorR, aAmbientColorG, aAmbientColorB);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.0f, 0.0f, 0.0f);
  nAttr.setUsedAsColor(true);

  aIncandescenceR = nAttr.create("incandescenceR", "ir", MFnNumericData::kFloat, 0.0);
  aIncandescenceG = nAttr.create("incandescenceG", "ig", MFnNumericData::kFloat, 0.0);
  aIncandescenceB = nAttr.create("incandescenceB", "ib", MFnNumericData::kFloat, 0.0);
  aIncandescence =
      nAttr.create("incandescence", "ic", aIncandescenceR, aIncandescenceG, aIncandescenceB);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.0f, 0.0f, 0.0f);
  nAttr.setUsedAsColor(true);

  aDiffuse = nAttr.create("diffuse", "dfl", MFnNumericData::kFloat, 0.0);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.8f);
  nAttr.setSoftMin(0.0);
  nAttr.setSoftMax(1.0);

  aTranslucence = nAttr.create("translucence", "tsl", MFnNumericData::kFloat, 0.0);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.0f);
  nAttr.setSoftMin(0.0);
  nAttr.setSoftMax(1.0);

  aRoughness = nAttr.create("roughness", "rghn", MFnNumericData::kFloat, 0.0);
  nAttr.setKeyable(true);
  nAttr.setStorable(true);
  nAttr.setDefault(0.5f);
  nAttr.setSoftMin(0.0);
  nAttr.setSoftMax(2.0);

  aOutColorR = nAttr.create("outColorR", "ocr", MFnNumericData::kFloat, 0.0);
  aOutColorG = nAttr.create("outColorG", "ocg", MFnNumericData::kFloat, 0.0);
  aOutColorB = nAttr.create("outColorB", "ocb", MFnNumericData::kFloat, 0.0);
  aOutColor = nAttr.create("outColor", "oc", aOutColorR, aOutColorG, aOutColorB);
  nAttr.setHidden(false);
  nAttr.setReadable(true);
  nAttr.setWritable(false);

  aOutTransparencyR = nAttr.create("outTransparencyR", "otr", MFnNumericData::kFloat, 0.0);
  aOutTransparencyG = nAttr.create("outTransparencyG", "otg", MFnNumericData::kFloat, 0.0);
  aOutTransparencyB = nAttr.create("outTransparencyB", "otb", MFnNumericData::kFloat, 0.0);
  aOutTransparency = nAttr.create("outTransparency", "ot", aOutTransparencyR, aOutTransparencyG,
                                  aOutTransparencyB);
  nAttr.setHidden(false);
  nAttr.setReadable(true);
  nAttr.setWritable(false);

  aNormalCameraX = nAttr.create("normalCameraX", "nx", MFnNumericData::kFloat, 1.0);
  aNormalCameraY = nAttr.create("normalCameraY", "ny", MFnNumericData::kFloat, 1.0);
  aNormalCameraZ = nAttr.create("normalCameraZ", "nz", MFnNumericData::kFloat, 1.0);
  aNormalCamera = nAttr.create("normalCamera", "n", aNormalCameraX, aNormalCameraY, aNormalCameraZ);
  nAttr.setStorable(false);
  nAttr.setDefault(1.0f, 1.0f, 1.0f);
  nAttr.setHidden(true);

  aRayDirectionX = nAttr.create("rayDirectionX", "rdx", MFnNumericData::kFloat, 1.0);
  aRayDirectionY = nAttr.create("rayDirectionY", "rdy", MFnNumericData::kFloat, 1.0);
  aRayDirectionZ = nAttr.create("rayDirectionZ", "rdz", MFnNumericData::kFloat, 1.0);
  aRayDirection =
      nAttr.create("rayDirection", "rad", aRayDirectionX, aRayDirectionY, aRayDirectionZ);
  nAttr.setStorable(false);
  nAttr.setDefault(1.0f, 1.0f, 1.0f);
  nAttr.setHidden(true);

  // The light block: every call is checked, so a host that refuses part of
  // the light data says so at load.
  MStatus status;

  aLightDirectionX = nAttr.create("lightDirectionX", "ldx", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightDirectionY = nAttr.create("lightDirectionY", "ldy", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightDirectionZ = nAttr.create("lightDirectionZ", "ldz", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightDirection = nAttr.create("lightDirection", "ld", aLightDirectionX, aLightDirectionY,
                                 aLightDirectionZ, &status);
  lightChild(nAttr, status, HERE, 1.0f, 1.0f, 1.0f);

  aLightIntensityR = nAttr.create("lightIntensityR", "lir", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightIntensityG = nAttr.create("lightIntensityG", "lig", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightIntensityB = nAttr.create("lightIntensityB", "lib", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);
  aLightIntensity = nAttr.create("lightIntensity", "li", aLightIntensityR, aLightIntensityG,
                                 aLightIntensityB, &status);
  lightChild(nAttr, status, HERE, 1.0f, 1.0f, 1.0f);

  aLightAmbient = nAttr.create("lightAmbient", "la", MFnNumericData::kBoolean, 0.0, &status);
  lightChild(nAttr, status, HERE, true);

  aLightDiffuse = nAttr.create("lightDiffuse", "ldf", MFnNumericData::kBoolean, 0.0, &status);
  lightChild(nAttr, status, HERE, true);

  aLightSpecular = nAttr.create("lightSpecular", "ls", MFnNumericData::kBoolean, 0.0, &status);
  lightChild(nAttr, status, HERE, false);

  aLightShadowFraction =
      nAttr.create("lightShadowFraction", "lsf", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);

  aPreShadowIntensity =
      nAttr.create("preShadowIntensity", "psi", MFnNumericData::kFloat, 0.0, &status);
  lightChild(nAttr, status, HERE, 1.0f);

  aLightBlindData = nAttr.createAddr("lightBlindData", "lbld", NULL, &status);
  lightChild(nAttr, status, HERE);

  aLightData = lAttr.create("lightDataArray", "ltd", aLightDirection, aLightIntensity,
                            aLightAmbient, aLightDiffuse, aLightSpecular, aLightShadowFraction,
                            aPreShadowIntensity, aLightBlindData, &status);
  CHECK_STATUS(status);
  CHECK_STATUS(lAttr.setArray(true));
  CHECK_STATUS(lAttr.setStorable(false));
  CHECK_STATUS(lAttr.setHidden(true));
  CHECK_STATUS(
      lAttr.setDefault(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true, true, false, 1.0f, 1.0f, NULL));

  addAttribute(aColor);
  addAttribute(aTransparency);
  addAttribute(aAmbientColor);
  addAttribute(aIncandescence);
  addAttribute(aDiffuse);
  addAttribute(aTranslucence);
  addAttribute(aRoughness);
  addAttribute(aOutColor);
  addAttribute(aOutTransparency);
  addAttribute(aRayDirection);
  addAttribute(aNormalCamera);
  addAttribute(aLightData);

  attributeAffects(aColorR, aOutColor);
  attributeAffects(aColorG, aOutColor);
  attributeAffects(aColorB, aOutColor);
  attributeAffects(aColor, aOutColor);
  attributeAffects(aTransparencyR, aOutTransparency);
  attributeAffects(aTransparencyG, aOutTransparency);
  attributeAffects(aTransparencyB, aOutTransparency);
  attributeAffects(aAmbientColorR, aOutColor);
  attributeAffects(aAmbientColorG, aOutColor);
  attributeAffects(aAmbientColorB, aOutColor);
  attributeAffects(aAmbientColor, aOutColor);
  attributeAffects(aTransparency, aOutTransparency);
  attributeAffects(aTransparencyR, aOutColor);
  attributeAffects(aTransparencyG, aOutColor);
  attributeAffects(aTransparencyB, aOutColor);
  attributeAffects(aTransparency, aOutColor);
  attributeAffects(aIncandescenceR, aOutColor);
  attributeAffects(aIncandescenceG, aOutColor);
  attributeAffects(aIncandescenceB, aOutColor);
  attributeAffects(aIncandescence, aOutColor);
  attributeAffects(aDiffuse, aOutColor);
  attributeAffects(aTranslucence, aOutColor);
  attributeAffects(aRoughness, aOutColor);
  attributeAffects(aLightIntensityR, aOutColor);
  attributeAffects(aLightIntensityB, aOutColor);
  attributeAffects(aLightIntensityG, aOutColor);
  attributeAffects(aLightIntensity, aOutColor);
  attributeAffects(aRayDirectionX, aOutColor);
  attributeAffects(aRayDirectionY, aOutColor);
  attributeAffects(aRayDirectionZ, aOutColor);
  attributeAffects(aRayDirection, aOutColor);
  attributeAffects(aNormalCameraX, aOutColor);
  attributeAffects(aNormalCameraY, aOutColor);
  attributeAffects(aNormalCameraZ, aOutColor);
  attributeAffects(aNormalCamera, aOutColor);
  attributeAffects(aLightDirectionX, aOutColor);
  attributeAffects(aLightDirectionY, aOutColor);
  attributeAffects(aLightDirectionZ, aOutColor);
  attributeAffects(aLightDirection, aOutColor);
  attributeAffects(aLightAmbient, aOutColor);
  attributeAffects(aLightSpecular, aOutColor);
  attributeAffects(aLightDiffuse, aOutColor);
  attributeAffects(aLightShadowFraction, aOutColor);
  attributeAffects(aPreShadowIntensity, aOutColor);
  attributeAffects(aLightBlindData, aOutColor);
  attributeAffects(aLightData, aOutColor);

  return MStatus::kSuccess;
}

MStatus mattora::compute(const MPlug& plug, MDataBlock& block) {
  if (plug == aOutColor || plug == aOutColorR || plug == aOutColorG || plug == aOutColorB) {
    MFloatVector resultColor(0.0f, 0.0f, 0.0f);
    MFloatVector ambientTerm(0.0f, 0.0f, 0.0f);
    MFloatVector diffuseSum(0.0f, 0.0f, 0.0f);
    MFloatVector translucenceSum(0.0f, 0.0f, 0.0f);

    MFloatVector& rayDirection = block.inputValue(aRayDirection).asFloatVector();
    MFloatVector& normal = block.inputValue(aNormalCamera).asFloatVector();
    MFloatVector& color = block.inputValue(aColor).asFloatVector();
    MFloatVector& ambientColor = block.inputValue(aAmbientColor).asFloatVector();
    MFloatVector& incandescence = block.inputValue(aIncandescence).asFloatVector();
    const float diffuse = block.inputValue(aDiffuse).asFloat();
    const float translucence = block.inputValue(aTranslucence).asFloat();
    const float roughness = block.inputValue(aRoughness).asFloat();
    MArrayDataHandle lights = block.inputArrayValue(aLightData);
    const unsigned int lightCount = lights.elementCount();

    // The view-dependent half of the model, rebuilt only when normalising
    // again has moved the normal or the view by a rounding step.
    std::optional<MATTORA_DIFFUSE_MODEL> model;
    MFloatVector modelNormal, modelView;

    if (lightCount >= 1) {
      unsigned int pass = 1;
      do {
        MDataHandle light = lights.inputValue();
        MFloatVector& lightIntensity = light.child(aLightIntensity).asFloatVector();
        MFloatVector& lightDirection = light.child(aLightDirection).asFloatVector();

        if (light.child(aLightAmbient).asBool())
          for (unsigned int i = 0; i < 3; ++i) resultColor[i] += color[i] * lightIntensity[i];

        lightDirection.normalize();
        rayDirection.normalize();
        normal.normalize();

        if (light.child(aLightDiffuse).asBool()) {
          const float NdotL = normal * lightDirection;
          if (NdotL > 0.0f) {
            const MFloatVector view = -rayDirection;
            if (!model || !sameVector(modelNormal, normal) || !sameVector(modelView, view)) {
              model.emplace(vec3(normal), vec3(view), roughness);
              modelNormal = normal;
              modelView = view;
            }
            const float k = model->factor(vec3(lightDirection)) * diffuse;
            for (unsigned int i = 0; i < 3; ++i)
              diffuseSum[i] += color[i] * (lightIntensity[i] * k);
          }
        }

        for (unsigned int i = 0; i < 3; ++i)
          translucenceSum[i] += (color[i] * lightIntensity[i]) * translucence;

        if (!lights.next()) break;
      } while (++pass <= lightCount);
    }

    for (unsigned int i = 0; i < 3; ++i) ambientTerm[i] = color[i] * ambientColor[i];
    for (unsigned int i = 0; i < 3; ++i)
      resultColor[i] = resultColor[i] +
                       (((diffuseSum[i] + ambientTerm[i]) + incandescence[i]) + translucenceSum[i]);

    const MFloatVector& transparency = block.inputValue(aTransparency).asFloatVector();
    for (unsigned int i = 0; i < 3; ++i) resultColor[i] = resultColor[i] * (1.0f - transparency[i]);

    MDataHandle out = block.outputValue(aOutColor);
    out.asFloatVector() = resultColor;
    out.setClean();
    return MStatus::kSuccess;
  }

  if (plug == aOutTransparency || plug == aOutTransparencyR || plug == aOutTransparencyG ||
      plug == aOutTransparencyB) {
    const MFloatVector& transparency = block.inputValue(aTransparency).asFloatVector();
    MDataHandle out = block.outputValue(aOutTransparency);
    out.asFloatVector() = transparency;
    out.setClean();
    return MStatus::kSuccess;
  }

  return MStatus::kUnknownParameter;
}
