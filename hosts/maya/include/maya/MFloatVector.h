#pragma once

#include <maya/MTypes.h>

#include <maya/MStatus.h>

#include <cmath>

class MFloatVector {
 public:
  MFloatVector() : x(0.0f), y(0.0f), z(0.0f) {}
  MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
  MFloatVector(const MFloatVector& other) = default;
  MFloatVector& operator=(const MFloatVector& other) = default;

  float& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
  MFloatVector operator+(const MFloatVector& o) const {
    return MFloatVector(x + o.x, y + o.y, z + o.z);
  }
  MFloatVector operator-(const MFloatVector& o) const {
    return MFloatVector(x - o.x, y - o.y, z - o.z);
  }
  MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
  friend MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
  // The dot product: the API has no component-wise vector product.
  float operator*(const MFloatVector& o) const { return x * o.x + y * o.y + z * o.z; }

  float length() const { return std::sqrt(x * x + y * y + z * z); }
  // A zero-length vector has no direction and is left as it is.
  MStatus normalize() {
    const float len = length();
    if (len > 0.0f) {
      x /= len;
      y /= len;
      z /= len;
    }
    return MStatus::kSuccess;
  }

  float x, y, z;
};
