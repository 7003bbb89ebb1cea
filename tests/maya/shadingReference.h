// The node's colour in double precision, written from the model's
// definition, for comparison with what the plug-in computes in float.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace mattoratest {

using D3 = std::array<double, 3>;

inline double dot(const D3& a, const D3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline D3 unit(const D3& v) {
  const double len = std::sqrt(dot(v, v));
  return len > 0 ? D3{v[0] / len, v[1] / len, v[2] / len} : v;
}

struct Light {
  D3 direction, intensity;
  bool ambient, diffuse;
};

struct Material {
  D3 color{0.5, 0.5, 0.5}, transparency{0, 0, 0}, ambientColor{0, 0, 0}, incandescence{0, 0, 0};
  double diffuse = double(0.8f), translucence = 0, roughness = 0.5;
};

inline double orenNayar(const D3& N, const D3& V, const D3& L, double sigma) {
  const double cosI = dot(N, L);
  if (!(cosI > 0)) return 0;
  const double s = sigma * sigma;
  const double A = 1 - 0.5 * s / (s + 0.33), B = 0.45 * s / (s + 0.09);
  const double cosR = dot(N, V);
  const double thetaI = std::acos(std::min(cosI, 1.0));
  const double thetaR = std::acos(std::clamp(cosR, -1.0, 1.0));
  D3 v = unit(D3{V[0] - N[0] * cosR, V[1] - N[1] * cosR, V[2] - N[2] * cosR});
  D3 l = unit(D3{L[0] - N[0] * cosI, L[1] - N[1] * cosI, L[2] - N[2] * cosI});
  const double c = std::max(0.0, dot(v, l));
  return (A + B * c * std::sin(std::max(thetaI, thetaR)) * std::tan(std::min(thetaI, thetaR))) *
         cosI;
}

// outColor for a light list, as the material's definition sums it.
inline D3 referenceColor(const Material& m, const D3& normal, const D3& ray,
                         const std::vector<Light>& lights) {
  const D3 N = unit(normal), V = unit(D3{-ray[0], -ray[1], -ray[2]});
  D3 out{};
  for (int i = 0; i < 3; ++i) {
    double sum = m.color[i] * m.ambientColor[i] + m.incandescence[i];
    for (const Light& light : lights) {
      const D3 L = unit(light.direction);
      const double lit = m.color[i] * light.intensity[i];
      if (light.ambient) sum += lit;
      if (light.diffuse && dot(N, L) > 0) sum += lit * orenNayar(N, V, L, m.roughness) * m.diffuse;
      sum += lit * m.translucence;
    }
    out[i] = sum * (1 - m.transparency[i]);
  }
  return out;
}

}  // namespace mattoratest
