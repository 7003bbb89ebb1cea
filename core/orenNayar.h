// Oren-Nayar qualitative model for rough diffuse surfaces: the diffuse
// weight of one light direction at a shading point, in single precision.
//
// Host-independent and header-only so that both deliverables inline the same
// code and give bit-identical factors for the same inputs.
#pragma once

#include <cmath>
#include <limits>

namespace orennayar {

struct Vec3 {
  float x, y, z;
};

struct Rgb {
  float r, g, b;
};

inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// acosf of a positive cosine below ~2e-8 rounds to the float nearest pi/2,
// which lies above pi/2; its tangent is then a huge negative number. Capping
// the incident angle here keeps tan(beta) positive and finite.
inline constexpr float kLargestAngleBelowHalfPi = 1.57079625f;
// In parentheses: Maya's Windows devkit includes windows.h, whose max macro
// would otherwise take the call apart.
inline constexpr float kLargestFloat = (std::numeric_limits<float>::max)();

// The model, split so that what depends only on the normal, the viewer and
// the roughness is computed once and shared by every light at the point.
// reflectanceFactor() below is the same arithmetic in one call.
//
// An instance remembers the sine and tangent of the view angle once a light
// has needed them (in mutable members, so a const model still shares them),
// so it belongs to one shading point on one thread.
class OrenNayar {
 public:
  OrenNayar(const Vec3& N, const Vec3& V, float sigma) : N_(N) {
    // A roughness above ~1.8e19 squares to infinity and A, B to inf/inf = NaN;
    // the largest float gives their limits 0.5 and 0.45 instead. A NaN passes.
    const float sigmaSquared = sigma * sigma;
    const float sigma2 = sigmaSquared > kLargestFloat ? kLargestFloat : sigmaSquared;
    A_ = 1.0f - 0.5f * sigma2 / (sigma2 + 0.33f);
    B_ = 0.45f * sigma2 / (sigma2 + 0.09f);

    const float cosThetaR = dot(N, V);
    // Rounding can push a unit-vector dot product a hair past +-1, where
    // acosf returns NaN; the comparisons let a NaN input through unchanged.
    const float clamped = cosThetaR > 1.0f ? 1.0f : (cosThetaR < -1.0f ? -1.0f : cosThetaR);
    thetaR_ = std::acos(clamped);
    Vperp_ = tangentDirection(V, cosThetaR);
  }

  // The model's two coefficients at this roughness.
  float A() const { return A_; }
  float B() const { return B_; }

  // 0 when the light is on or below the horizon (a NaN cosine included).
  float factor(const Vec3& L) const {
    const float cosThetaI = dot(N_, L);
    if (!(cosThetaI > 0.0f)) return 0.0f;

    const Vec3 Lperp = tangentDirection(L, cosThetaI);
    float cosPhiDiff = dot(Vperp_, Lperp);
    cosPhiDiff = cosPhiDiff > 0.0f ? cosPhiDiff : 0.0f;
    // Light and viewer in opposite azimuths: the B part is a finite tangent
    // times a zero, and A plus a zero is A, so the angles are not needed.
    // A NaN view angle must still make the factor NaN, as the full sum does
    // (tested as x == x: that devkit also defines isnan as a macro).
    if (cosPhiDiff == 0.0f && thetaR_ == thetaR_) return A_ * cosThetaI;

    float thetaI = std::acos(cosThetaI > 1.0f ? 1.0f : cosThetaI);
    thetaI = thetaI < kLargestAngleBelowHalfPi ? thetaI : kLargestAngleBelowHalfPi;

    // alpha is the larger angle and beta the smaller, equal angles taking the
    // incident branch; whichever of them is the view angle has its sine or
    // tangent computed once for all lights at the point.
    float sinAlpha, tanBeta;
    if (thetaR_ > thetaI) {
      sinAlpha = sinThetaR();
      tanBeta = std::tan(thetaI);
    } else {
      sinAlpha = nonNegativeSine(thetaI);
      tanBeta = tanThetaR();
    }
    // The order of the products is kept as written so every host rounds identically.
    return (A_ + tanBeta * ((cosPhiDiff * B_) * sinAlpha)) * cosThetaI;
  }

  // weight * f * light * surface per component; black below the horizon.
  Rgb color(const Vec3& L, const Rgb& light, const Rgb& surface, float weight) const {
    if (!(dot(N_, L) > 0.0f)) return Rgb{0.0f, 0.0f, 0.0f};
    const float k = factor(L) * weight;
    return Rgb{light.r * k * surface.r, light.g * k * surface.g, light.b * k * surface.b};
  }

 private:
  // The part of D perpendicular to N, scaled to unit length; a zero
  // projection stays zero so the azimuth term drops out.
  Vec3 tangentDirection(const Vec3& D, float NdotD) const {
    Vec3 p{D.x - N_.x * NdotD, D.y - N_.y * NdotD, D.z - N_.z * NdotD};
    const float length = std::sqrt(dot(p, p));
    if (length != 0.0f) p = Vec3{p.x / length, p.y / length, p.z / length};
    return p;
  }

  // acosf(-1) is the float nearest pi, which lies above pi, so a view
  // straight through the back of the surface has a slightly negative sine;
  // times the huge tangent of a grazing light it pulled f below zero.
  static float nonNegativeSine(float angle) {
    const float sine = std::sin(angle);
    return sine < 0.0f ? 0.0f : sine;
  }

  float sinThetaR() const {
    if (!haveSinThetaR_) {
      sinThetaR_ = nonNegativeSine(thetaR_);
      haveSinThetaR_ = true;
    }
    return sinThetaR_;
  }

  float tanThetaR() const {
    if (!haveTanThetaR_) {
      tanThetaR_ = std::tan(thetaR_);
      haveTanThetaR_ = true;
    }
    return tanThetaR_;
  }

  Vec3 N_;
  float A_, B_;
  float thetaR_;
  Vec3 Vperp_;
  mutable float sinThetaR_ = 0.0f, tanThetaR_ = 0.0f;
  mutable bool haveSinThetaR_ = false, haveTanThetaR_ = false;
};

inline float reflectanceFactor(const Vec3& N, const Vec3& V, const Vec3& L, float sigma) {
  if (!(dot(N, L) > 0.0f)) return 0.0f;
  return OrenNayar(N, V, sigma).factor(L);
}

inline Rgb reflectanceColor(const Vec3& V, const Vec3& N, const Vec3& L, const Rgb& light,
                            const Rgb& surface, float sigma, float weight) {
  if (!(dot(N, L) > 0.0f)) return Rgb{0.0f, 0.0f, 0.0f};
  return OrenNayar(N, V, sigma).color(L, light, surface, weight);
}

}  // namespace orennayar
