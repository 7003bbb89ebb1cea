// Unit directions that float rounding makes hardest: exactly equal to or
// opposite the normal, on its horizon, a hair above or below it, with
// denormal components, and one ulp off unit length. Each is rounded to
// float from a double-precision construction and carries a name for the
// failure message.
#pragma once

#include "core/orenNayar.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace hardening {

using orennayar::Vec3;

struct Direction {
  std::string what;
  Vec3 v;
};

inline Vec3 unit(double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  return Vec3{float(x / length), float(y / length), float(z / length)};
}

// Every non-zero component moved one ulp away from zero (longer) or
// toward it (shorter).
inline Vec3 ulpOff(const Vec3& v, bool longer) {
  auto step = [longer](float c) {
    if (c == 0.0f) return c;
    const float away = std::copysign(std::numeric_limits<float>::infinity(), c);
    return std::nextafter(c, longer ? away : 0.0f);
  };
  return Vec3{step(v.x), step(v.y), step(v.z)};
}

inline std::vector<Direction> adversarialNormals() {
  const float denormMin = std::numeric_limits<float>::denorm_min();
  const Vec3 diagonal = unit(1, 1, 1);
  return {
      {"+z", {0.0f, 0.0f, 1.0f}},
      {"-x", {-1.0f, 0.0f, 0.0f}},
      {"diagonal", diagonal},
      {"skew", unit(0.267, -0.534, 0.801)},
      {"denormal components", {1e-40f, -denormMin, 1.0f}},
      {"tilted by 1e-20", {1e-20f, 0.0f, 1.0f}},
      {"+z one ulp long", ulpOff({0.0f, 0.0f, 1.0f}, true)},
      {"+y one ulp short", ulpOff({0.0f, 1.0f, 0.0f}, false)},
      {"diagonal one ulp long", ulpOff(diagonal, true)},
      {"skew one ulp short", ulpOff(unit(0.267, -0.534, 0.801), false)},
  };
}

// View or light directions relative to the normal N.
inline std::vector<Direction> adversarialDirections(const Vec3& N) {
  const double n[3] = {N.x, N.y, N.z};
  // A tangent t1 from the axis least aligned with N, and t2 = N x t1.
  const int axis = (std::abs(n[0]) <= std::abs(n[1]) && std::abs(n[0]) <= std::abs(n[2])) ? 0
                   : std::abs(n[1]) <= std::abs(n[2])                                     ? 1
                                                                                          : 2;
  double a[3] = {0, 0, 0};
  a[axis] = 1;
  const double c[3] = {n[1] * a[2] - n[2] * a[1], n[2] * a[0] - n[0] * a[2],
                       n[0] * a[1] - n[1] * a[0]};
  const double cl = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
  const double t1[3] = {c[0] / cl, c[1] / cl, c[2] / cl};
  const double t2[3] = {n[1] * t1[2] - n[2] * t1[1], n[2] * t1[0] - n[0] * t1[2],
                        n[0] * t1[1] - n[1] * t1[0]};
  // The unit direction of p t1 + q N.
  auto mix = [&](double p, double q) {
    return unit(p * t1[0] + q * n[0], p * t1[1] + q * n[1], p * t1[2] + q * n[2]);
  };

  std::vector<Direction> out = {
      {"equal to N", N},
      {"opposite N", {-N.x, -N.y, -N.z}},
      {"N one ulp long", ulpOff(N, true)},
      {"N one ulp short", ulpOff(N, false)},
      {"1e-4 off N", mix(1e-4, 1)},
      {"1e-20 off N", mix(1e-20, 1)},
      {"1e-4 off -N", mix(1e-4, -1)},
      {"tangent t1", mix(1, 0)},
      {"tangent -t1", mix(-1, 0)},
      {"tangent t2", unit(t2[0], t2[1], t2[2])},
      {"45 degrees above", mix(1, 1)},
      {"45 degrees below", mix(1, -1)},
  };
  struct Lift {
    const char* name;
    double amount;
  };
  for (const Lift& lift :
       {Lift{"3e-8", 3e-8}, Lift{"1e-8", 1e-8}, Lift{"1e-20", 1e-20}, Lift{"1e-40", 1e-40}}) {
    out.push_back({std::string("above the horizon by ") + lift.name, mix(1, lift.amount)});
    out.push_back({std::string("below the horizon by ") + lift.name, mix(1, -lift.amount)});
  }
  out.push_back(
      {"denormal components",
       {N.x == 0.0f ? 1e-41f : N.x, N.y == 0.0f ? -1e-44f : N.y, N.z == 0.0f ? 1e-39f : N.z}});
  const size_t plain = out.size();
  for (size_t i = 0; i < plain; ++i) {
    out.push_back({out[i].what + ", one ulp long", ulpOff(out[i].v, true)});
    out.push_back({out[i].what + ", one ulp short", ulpOff(out[i].v, false)});
  }
  return out;
}

// Roughness values: the ordinary range and the edges of float range.
inline std::vector<float> adversarialRoughness() {
  const float largest = std::numeric_limits<float>::max();
  return {0.0f,    std::numeric_limits<float>::denorm_min(),
          0.5f,    1.0f,
          -0.7f,   100.0f,
          1.9e19f, largest,
          -largest};
}

}  // namespace hardening
