#include "core/orenNayar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using orennayar::OrenNayar;
using orennayar::reflectanceColor;
using orennayar::reflectanceFactor;
using orennayar::Rgb;
using orennayar::Vec3;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The model's A and B in double precision from the single-precision constants.
double modelA(double sigma) {
  const double s = float(sigma * sigma);
  return 1.0 - 0.5 * s / (s + double(0.33f));
}
double modelB(double sigma) {
  const double s = float(sigma * sigma);
  return double(0.45f) * s / (s + double(0.09f));
}

// The same model evaluated independently in double precision.
double referenceFactor(const Vec3& N, const Vec3& V, const Vec3& L, double sigma) {
  auto dotd = [](double ax, double ay, double az, double bx, double by, double bz) {
    return ax * bx + ay * by + az * bz;
  };
  const double cosI = dotd(N.x, N.y, N.z, L.x, L.y, L.z);
  if (!(cosI > 0)) return 0;
  const double cosR = dotd(N.x, N.y, N.z, V.x, V.y, V.z);
  const double thetaI = std::acos(std::min(cosI, 1.0));
  const double thetaR = std::acos(std::clamp(cosR, -1.0, 1.0));
  double v[3] = {V.x - N.x * cosR, V.y - N.y * cosR, V.z - N.z * cosR};
  double l[3] = {L.x - N.x * cosI, L.y - N.y * cosI, L.z - N.z * cosI};
  for (double* p : {v, l}) {
    const double len = std::sqrt(dotd(p[0], p[1], p[2], p[0], p[1], p[2]));
    if (len != 0)
      for (int i = 0; i < 3; ++i) p[i] /= len;
  }
  const double c = std::max(0.0, dotd(v[0], v[1], v[2], l[0], l[1], l[2]));
  const double alpha = std::max(thetaI, thetaR), beta = std::min(thetaI, thetaR);
  return (modelA(sigma) + modelB(sigma) * c * std::sin(alpha) * std::tan(beta)) * cosI;
}

Vec3 normalized(double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  return Vec3{float(x / len), float(y / len), float(z / len)};
}

// A unit direction at polar angle theta from +z and azimuth phi.
Vec3 fromAngles(double theta, double phi) {
  return Vec3{float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)),
              float(std::cos(theta))};
}

Vec3 floatNormalize(Vec3 v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return Vec3{v.x / len, v.y / len, v.z / len};
}

const Vec3 kUp{0.0f, 0.0f, 1.0f};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ReflectanceClosedForms, MatchHandWorkedValues) {
  struct Case {
    std::string what;
    Vec3 V, L;
    float sigma;
    double expected;
  };
  const double thetaI = 0.7, cosI = std::cos(0.7);
  const Vec3 L = fromAngles(thetaI, 0.0);
  const double half = 0.5;
  const std::vector<Case> cases = {
      {"roughness 0 is the Lambert cosine", fromAngles(0.4, 2.0), L, 0.0f, cosI},
      {"roughness 0 grazing view is still Lambert", fromAngles(1.5, 0.0), L, 0.0f, cosI},
      {"view along the normal leaves only A", kUp, L, 0.5f, modelA(half) * cosI},
      {"opposite azimuths leave only A", fromAngles(0.3, kPi), L, 0.5f, modelA(half) * cosI},
      {"same azimuth and elevation", L, L, 0.5f,
       cosI * (modelA(half) + modelB(half) * std::sin(thetaI) * std::tan(thetaI))},
      {"viewer above light: alpha is the view angle", fromAngles(1.2, 0.0), L, 0.5f,
       cosI * (modelA(half) + modelB(half) * std::sin(1.2) * std::tan(thetaI))},
      {"viewer below light: beta is the view angle", fromAngles(0.2, 0.0), L, 0.5f,
       cosI * (modelA(half) + modelB(half) * std::sin(thetaI) * std::tan(0.2))},
      {"very large roughness tends to A 0.5 B 0.45", L, L, 1e4f,
       cosI * (0.5 + 0.45 * std::sin(thetaI) * std::tan(thetaI))},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(reflectanceFactor(kUp, c.V, c.L, c.sigma), c.expected, 2e-6) << c.what;
  }
}

TEST(ReflectanceClosedForms, RoughnessHalfGivesDocumentedAandB) {
  // A from a view along the normal; B from the same-azimuth, equal-elevation
  // configuration once A is known.
  const float thetaI = 0.9f;
  const Vec3 L = fromAngles(thetaI, 0.3);
  const double cosI = L.z;
  const double A = reflectanceFactor(kUp, kUp, L, 0.5f) / cosI;
  const double B = (reflectanceFactor(kUp, L, L, 0.5f) / cosI - A) /
                   (std::sin(std::acos(cosI)) * std::tan(std::acos(cosI)));
  EXPECT_NEAR(A, 1.0 - 0.125 / 0.58, 1e-5);
  EXPECT_NEAR(B, 0.1125 / 0.34, 1e-5);
}

TEST(ReflectanceClosedForms, NegativeRoughnessActsLikeItsMagnitude) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> angle(0.0, 1.5), azimuth(0.0, 2 * kPi);
  for (int i = 0; i < 1000; ++i) {
    const Vec3 V = fromAngles(angle(rng), azimuth(rng)), L = fromAngles(angle(rng), azimuth(rng));
    const float sigma = float(angle(rng));
    ASSERT_EQ(reflectanceFactor(kUp, V, L, -sigma), reflectanceFactor(kUp, V, L, sigma));
  }
}

TEST(ReflectanceGate, LightOnOrBelowHorizonGivesZeroAndBlack) {
  const std::vector<Vec3> lights = {{1.0f, 0.0f, 0.0f},   {0.0f, 1.0f, -0.0f}, {0.0f, 0.0f, -1.0f},
                                    fromAngles(2.0, 1.0), {kNaN, 0.0f, 1.0f},  {0.0f, 0.0f, kNaN},
                                    {kInf, 0.0f, -1.0f}};
  const std::vector<Vec3> views = {kUp, fromAngles(1.0, 0.5), {0.0f, 0.0f, -1.0f}, {kNaN, 0, 0}};
  const std::vector<float> sigmas = {0.0f, 0.5f, 3.0f, kNaN, kInf};
  for (const Vec3& L : lights)
    for (const Vec3& V : views)
      for (float sigma : sigmas) {
        EXPECT_EQ(reflectanceFactor(kUp, V, L, sigma), 0.0f);
        const Rgb c = reflectanceColor(V, kUp, L, {kInf, 1, 1}, {1, 1, kNaN}, sigma, 1.0f);
        EXPECT_TRUE(c.r == 0.0f && c.g == 0.0f && c.b == 0.0f);
      }
}

TEST(ReflectanceRobustness, BackFacingViewIsFinite) {
  for (double thetaR = 1.6; thetaR < kPi; thetaR += 0.1) {
    const float f = reflectanceFactor(kUp, fromAngles(thetaR, 0.2), fromAngles(0.8, 0.0), 1.0f);
    EXPECT_TRUE(std::isfinite(f) && f >= 0.0f) << thetaR;
  }
}

TEST(ReflectanceRobustness, ViewAlongFloatNormalisedNormalIsNeverNaN) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> component(-1.0f, 1.0f);
  int dotAboveOne = 0;
  for (int i = 0; i < 20000; ++i) {
    const Vec3 N = floatNormalize({component(rng), component(rng), component(rng)});
    if (orennayar::dot(N, N) > 1.0f) ++dotAboveOne;
    const Vec3 L = floatNormalize({N.x + 0.3f, N.y - 0.2f, N.z + 0.1f});
    for (float sigma : {0.0f, 0.5f}) {
      const float f = reflectanceFactor(N, N, L, sigma);
      ASSERT_FALSE(std::isnan(f)) << "normal " << N.x << " " << N.y << " " << N.z;
    }
  }
  // The sweep must actually contain the rounding case it guards against.
  EXPECT_GT(dotAboveOne, 100);
}

TEST(ReflectanceRobustness, TangentLightsNeverGoNegative) {
  // The incident angle is capped just below a right angle; the float nearest
  // pi/2 itself lies above it.
  EXPECT_GT(double(float(kPi / 2)), kPi / 2);
  EXPECT_EQ(orennayar::kLargestAngleBelowHalfPi, std::nextafter(float(kPi / 2), 0.0f));

  // Every power of two down to the smallest denormal, and densely around
  // 2e-8 where acosf starts returning the rounded-up right angle.
  std::vector<float> cosines;
  for (float c = 1.0f; c > 0.0f; c *= 0.5f) cosines.push_back(c);
  for (float c = 1e-9f; c < 1e-7f; c *= 1.01f) cosines.push_back(c);

  // Beta is the incident angle only when the view is at least as low, so the
  // views include a grazing and a back-facing one in the light's azimuth.
  const std::vector<Vec3> views = {normalized(0.6, 0.0, 0.8), Vec3{1.0f, 0.0f, 0.0f},
                                   normalized(0.6, 0.0, -0.8)};
  for (const Vec3& V : views)
    for (float sigma : {0.3f, 1.0f, 100.0f})
      for (float cosI : cosines) {
        // N is +z, so N.L is exactly the z component however small.
        const Vec3 L{std::sqrt(1.0f - cosI * cosI), 0.0f, cosI};
        const float f = reflectanceFactor(kUp, V, L, sigma);
        ASSERT_TRUE(std::isfinite(f) && f >= 0.0f) << "cos " << cosI << " f " << f;
      }
}

TEST(ReflectanceProperties, ReciprocalInViewAndLight) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> angle(0.05, 1.5), azimuth(0.0, 2 * kPi), sigma(0, 1.5);
  for (int i = 0; i < 10000; ++i) {
    const Vec3 V = fromAngles(angle(rng), azimuth(rng)), L = fromAngles(angle(rng), azimuth(rng));
    const float s = float(sigma(rng));
    const double forward = reflectanceFactor(kUp, V, L, s) / double(L.z);
    const double backward = reflectanceFactor(kUp, L, V, s) / double(V.z);
    ASSERT_NEAR(forward, backward, 1e-5 * std::max(1.0, forward));
  }
}

TEST(ReflectanceProperties, RandomSweepMatchesDoublePrecision) {
  std::mt19937 rng(2024);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> sigma(-2.0, 2.0);
  double worst = 0;
  for (int i = 0; i < 100000; ++i) {
    const Vec3 N = normalized(gauss(rng), gauss(rng), gauss(rng));
    const Vec3 V = normalized(gauss(rng), gauss(rng), gauss(rng));
    const Vec3 L = normalized(gauss(rng), gauss(rng), gauss(rng));
    const float s = float(sigma(rng));
    const float f = reflectanceFactor(N, V, L, s);
    const double expected = referenceFactor(N, V, L, s);
    // Near a tangent light, theta_i itself is only good to half an ulp of
    // pi/2, and the tangent magnifies that by about 1/cos(theta_i).
    const double cosI = orennayar::dot(N, L);
    const double allowed = 2e-5 + (cosI > 0 ? 1.5e-7 / cosI : 0.0);
    const double error = std::abs(f - expected) / std::max(1e-3, std::abs(expected));
    worst = std::max(worst, error / allowed);
    // The hoisted form that shares the view between lights is the same arithmetic.
    ASSERT_EQ(f, OrenNayar(N, V, s).factor(L));
  }
  EXPECT_LE(worst, 1.0);
}

TEST(ReflectanceColor, IsWeightTimesFactorTimesLightTimesSurface) {
  const Vec3 V = fromAngles(0.5, 1.0), L = fromAngles(0.9, 0.2);
  const Rgb light{2.0f, 0.5f, -1.0f}, surface{0.25f, 3.0f, 0.75f};
  for (float weight : {0.0f, 0.8f, -2.0f}) {
    const double f = reflectanceFactor(kUp, V, L, 0.7f);
    const Rgb c = reflectanceColor(V, kUp, L, light, surface, 0.7f, weight);
    EXPECT_NEAR(c.r, weight * f * 2.0 * 0.25, 1e-6);
    EXPECT_NEAR(c.g, weight * f * 0.5 * 3.0, 1e-6);
    EXPECT_NEAR(c.b, weight * f * -1.0 * 0.75, 1e-6);
  }
}

}  // namespace
