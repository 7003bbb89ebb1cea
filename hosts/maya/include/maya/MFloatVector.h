#pragma once

#include <maya/MTypes.h>

class MStatus;
class MVector;
class MPoint;

// Every member is out of line in OpenMaya, so each operation is a call into
// the host library, as it is with the published devkit.
class OPENMAYA_EXPORT MFloatVector {
 public:
  MFloatVector();
  MFloatVector(const MFloatVector& other);
  MFloatVector(const MVector& other);
  MFloatVector(const MPoint& other);
  MFloatVector(float xx, float yy, float zz = 0.0);
  MFloatVector(const float xyz[3]);
  ~MFloatVector();
  MFloatVector& operator=(const MFloatVector& other);

  float& operator[](unsigned int i);
  float operator[](unsigned int i) const;
  MFloatVector operator-() const;
  MFloatVector operator+(const MFloatVector& other) const;
  MFloatVector operator-(const MFloatVector& other) const;
  MFloatVector operator*(float scale) const;
  friend OPENMAYA_EXPORT MFloatVector operator*(float scale, const MFloatVector& v);
  // The dot product: the API has no component-wise vector product.
  float operator*(const MFloatVector& other) const;
  float length() const;
  // A zero-length vector has no direction and is left as it is.
  MStatus normalize();

  float x, y, z;
};

MAYAHOST_LAYOUT(MFloatVector, 12, 4, 12, 4);
