// Fuzzes the reflectance term with arbitrary floats, NaN, infinities and
// denormals included. Every input must evaluate without a crash or undefined
// behaviour, the shared-view form must give the same bits as the one-call
// form, and a light that is not above the surface must give 0 and black.
// The same case is then replayed with unit-length directions (rounded from
// the fuzzed ones, optionally tied to each other: equal, opposite, tangent,
// then nudged by one ulp) and a finite roughness, where the factor must be
// finite and within the model's range.
#include "core/orenNayar.h"
#include "fuzzInput.h"

#include <cmath>
#include <cstring>

using orennayar::dot;
using orennayar::OrenNayar;
using orennayar::reflectanceColor;
using orennayar::reflectanceFactor;
using orennayar::Rgb;
using orennayar::Vec3;

namespace {

// cos(theta_i) * A + cos(theta_i) * tan(beta) * B * c * sin(alpha) is at most
// 1 + 0.45, since beta <= theta_i makes cos(theta_i) * tan(beta) <= 1.
constexpr float kLargestFactor = 1.5f;

bool sameBits(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

bool finite(const Rgb& c) { return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b); }

// The direction of v rounded to float after a double-precision normalisation;
// a vector without a direction (zero, or not finite) becomes `fallback`.
Vec3 unitFrom(const Vec3& v, const Vec3& fallback) {
  const double x = v.x, y = v.y, z = v.z;
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!std::isfinite(length) || length == 0.0) return fallback;
  return Vec3{float(x / length), float(y / length), float(z / length)};
}

// Two bits per component: leave it, or move it one ulp up or down.
Vec3 nudged(Vec3 v, uint8_t bits) {
  float* c[3] = {&v.x, &v.y, &v.z};
  for (int i = 0; i < 3; ++i, bits >>= 2) {
    if ((bits & 3u) == 1u) *c[i] = std::nextafter(*c[i], 2.0f);
    if ((bits & 3u) == 2u) *c[i] = std::nextafter(*c[i], -2.0f);
  }
  return v;
}

Vec3 negated(const Vec3& v) { return Vec3{-v.x, -v.y, -v.z}; }

// The part of d perpendicular to n, normalised in double: a direction on the
// horizon of n, up to the rounding of its components.
Vec3 tangentOf(const Vec3& n, const Vec3& d, const Vec3& fallback) {
  const double nd = double(n.x) * d.x + double(n.y) * d.y + double(n.z) * d.z;
  return unitFrom(Vec3{float(d.x - n.x * nd), float(d.y - n.y * nd), float(d.z - n.z * nd)},
                  fallback);
}

float moderate(float v) { return std::isfinite(v) ? std::fmod(v, 4.0f) : 1.0f; }

void checkAnyInput(const Vec3& N, const Vec3& V, const Vec3& L, float sigma, const Rgb& light,
                   const Rgb& surface, float weight) {
  const float f = reflectanceFactor(N, V, L, sigma);
  const Rgb c = reflectanceColor(V, N, L, light, surface, sigma, weight);
  const OrenNayar shared(N, V, sigma);
  const float fShared = shared.factor(L);
  const Rgb cShared = shared.color(L, light, surface, weight);
  FUZZ_CHECK(sameBits(f, fShared), "%a vs %a", f, fShared);
  FUZZ_CHECK(sameBits(c.r, cShared.r) && sameBits(c.g, cShared.g) && sameBits(c.b, cShared.b),
             "colour differs between forms");
  if (!(dot(N, L) > 0.0f)) {
    FUZZ_CHECK(f == 0.0f, "light below the horizon gave %a", f);
    FUZZ_CHECK(c.r == 0.0f && c.g == 0.0f && c.b == 0.0f, "light below the horizon not black");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const Vec3 N{in.anyFloat(), in.anyFloat(), in.anyFloat()};
  const Vec3 V{in.anyFloat(), in.anyFloat(), in.anyFloat()};
  const Vec3 L{in.anyFloat(), in.anyFloat(), in.anyFloat()};
  const float sigma = in.anyFloat();
  const Rgb light{in.anyFloat(), in.anyFloat(), in.anyFloat()};
  const Rgb surface{in.anyFloat(), in.anyFloat(), in.anyFloat()};
  const float weight = in.anyFloat();
  const uint8_t ties = in.byte();
  const uint8_t nudgeN = in.byte(), nudgeV = in.byte(), nudgeL = in.byte();

  checkAnyInput(N, V, L, sigma, light, surface, weight);

  // Unit directions, with the ties that rounding makes hardest.
  const Vec3 n = unitFrom(N, Vec3{0.0f, 0.0f, 1.0f});
  Vec3 v = unitFrom(V, Vec3{0.0f, 1.0f, 0.0f});
  Vec3 l = unitFrom(L, Vec3{1.0f, 0.0f, 0.0f});
  switch (ties & 7u) {
    case 1:
      v = n;
      break;
    case 2:
      v = negated(n);
      break;
    case 3:
      v = tangentOf(n, v, v);
      break;
    default:
      break;
  }
  switch ((ties >> 3) & 7u) {
    case 1:
      l = n;
      break;
    case 2:
      l = v;
      break;
    case 3:
      l = tangentOf(n, l, l);
      break;
    case 4:
      l = negated(v);
      break;
    default:
      break;
  }
  const Vec3 un = nudged(n, nudgeN), uv = nudged(v, nudgeV), ul = nudged(l, nudgeL);
  const float finiteSigma = std::isfinite(sigma) ? sigma : 0.5f;
  const Rgb unitLight{moderate(light.r), moderate(light.g), moderate(light.b)};
  const Rgb unitSurface{moderate(surface.r), moderate(surface.g), moderate(surface.b)};
  checkAnyInput(un, uv, ul, finiteSigma, unitLight, unitSurface, moderate(weight));

  const float f = reflectanceFactor(un, uv, ul, finiteSigma);
  FUZZ_CHECK(std::isfinite(f) && f >= 0.0f && f <= kLargestFactor,
             "N (%a %a %a) V (%a %a %a) L (%a %a %a) sigma %a gave %a", un.x, un.y, un.z, uv.x,
             uv.y, uv.z, ul.x, ul.y, ul.z, finiteSigma, f);
  FUZZ_CHECK(
      finite(reflectanceColor(uv, un, ul, unitLight, unitSurface, finiteSigma, moderate(weight))),
      "colour of a finite case is not finite");
  return 0;
}
