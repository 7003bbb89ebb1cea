// Independent double-precision geometry and model constants for checking
// rendered pixels against closed forms.
#pragma once

#include "preview/scene.h"

#include <cmath>

namespace previewtest {

// Geometry of the centre ray of pixel (x, y), in double precision.
struct Reference {
  bool hit = false;
  bool nearSilhouette = false;
  int sphere = -1;
  double point[3], normal[3], view[3];
};

inline Reference referenceHit(const preview::Scene& scene, int x, int y) {
  const preview::Camera& c = scene.camera;
  double d[3] = {(2.0 * (x + 0.5) / c.width - 1.0) * c.halfWidth,
                 (1.0 - 2.0 * (y + 0.5) / c.height) * c.halfHeight, -1.0};
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (double& v : d) v /= length;
  Reference r;
  double nearest = INFINITY;
  for (size_t i = 0; i < scene.spheres.size(); ++i) {
    const preview::Sphere& s = scene.spheres[i];
    const double b = d[0] * s.center.x + d[1] * s.center.y + d[2] * s.center.z;
    const double cc = double(s.center.x) * s.center.x + double(s.center.y) * s.center.y +
                      double(s.center.z) * s.center.z - double(s.radius) * s.radius;
    const double disc = b * b - cc;
    // Within this margin of the silhouette float rounding may decide the hit.
    if (std::fabs(disc) < 1e-3) r.nearSilhouette = true;
    if (disc < 0) continue;
    const double t = b - std::sqrt(disc);
    if (t <= 0 || t >= nearest) continue;
    nearest = t;
    r.hit = true;
    r.sphere = static_cast<int>(i);
    for (int k = 0; k < 3; ++k) {
      r.point[k] = t * d[k];
      r.view[k] = -d[k];
    }
    const double center[3] = {s.center.x, s.center.y, s.center.z};
    for (int k = 0; k < 3; ++k) r.normal[k] = (r.point[k] - center[k]) / s.radius;
  }
  return r;
}

inline double dot3(const double* a, const double* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The model's A and B from the single-precision constants, in double.
inline double modelA(float sigma) {
  const double s = float(sigma * sigma);
  return 1.0 - 0.5 * s / (s + double(0.33f));
}
inline double modelB(float sigma) {
  const double s = float(sigma * sigma);
  return double(0.45f) * s / (s + double(0.09f));
}

}  // namespace previewtest
