#pragma once

#include <maya/MDataBlock.h>
#include <maya/MLibraryExport.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

class OPENMAYA_EXPORT MPxNode {
 public:
  enum Type {
    kDependNode,
    kLocatorNode,
    kDeformerNode,
    kManipContainer,
    kSurfaceShape,
    kFieldNode,
    kEmitterNode,
    kSpringNode,
    kIkSolverNode,
    kHardwareShader,
    kHwShaderNode,
    kTransformNode,
    kManipulatorNode,
    kLast
  };

  MPxNode();
  virtual ~MPxNode();
  virtual void postConstructor();
  // The base computes nothing: kUnknownParameter.
  virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
  void setMPSafe(bool flag);

  // Valid only while the host runs the type's attribute initialiser.
  static MStatus addAttribute(const MObject& attr);
  static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);

 private:
  friend class MHostAccess;
  bool mpSafe_ = false;
};
