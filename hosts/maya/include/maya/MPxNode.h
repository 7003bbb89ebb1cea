#pragma once

#include <maya/MTypes.h>

class MDataBlock;
class MDataHandle;
class MDGContext;
class MObject;
class MPlug;
class MPlugArray;
class MStatus;

// The base of a plug-in's node class. Its virtual table is the published
// one, slot for slot: 19 slots in 8.0, and 20 in 8.5, which inserts
// isPassiveOutput before shouldSave. A derived node keeps these slots, so the
// host finds each function where Maya looks for it.
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
    kHwShaderNode,
    kTransformNode,
    kObjectSet,
    kFluidEmitterNode,
    kImagePlaneNode,
    kParticleAttributeMapperNode,
    kLast
  };

  MPxNode();
  virtual ~MPxNode();
  virtual void postConstructor();
  // The base computes nothing: kUnknownParameter.
  virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
  virtual bool getInternalValueInContext(const MPlug& plug, MDataHandle& handle,
                                         MDGContext& context);
  virtual bool setInternalValueInContext(const MPlug& plug, const MDataHandle& handle,
                                         MDGContext& context);
  virtual bool getInternalValue(const MPlug& plug, MDataHandle& handle);
  virtual bool setInternalValue(const MPlug& plug, const MDataHandle& handle);
  virtual int internalArrayCount(const MPlug& plug, const MDGContext& context) const;
  virtual void copyInternalData(MPxNode* source);
  virtual MStatus legalConnection(const MPlug& plug, const MPlug& otherPlug, bool asSrc,
                                  bool& isLegal) const;
  virtual MStatus legalDisconnection(const MPlug& plug, const MPlug& otherPlug, bool asSrc,
                                     bool& isLegal) const;
  virtual MStatus setDependentsDirty(const MPlug& plug, MPlugArray& plugArray);
  virtual MStatus connectionMade(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
  virtual MStatus connectionBroken(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
#if MAYA_API_VERSION >= 850
  virtual bool isPassiveOutput(const MPlug& plug) const;
#endif
  virtual MStatus shouldSave(const MPlug& plug, bool& isSaving);
  virtual MPlug passThroughToOne(const MPlug& plug) const;
  virtual bool passThroughToMany(const MPlug& plug, MPlugArray& plugArray) const;
  virtual MPxNode::Type type() const;
  virtual bool isAbstractClass() const;

  // Valid only while the host runs the type's attribute initialiser.
  static MStatus addAttribute(const MObject& attr);
  static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);

 protected:
  void setMPSafe(bool flag);

  friend class MHostAccess;
  void* instance;
};

MAYAHOST_LAYOUT(MPxNode, 8, 4, 16, 8);
