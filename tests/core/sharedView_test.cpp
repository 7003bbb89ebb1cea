// The shared-view model takes shortcuts for speed: it skips the angles when
// the azimuth term is zero and computes the sine or tangent of the view angle
// once for all lights. Neither may change a single bit of a factor. These
// tests hold it against the model's steps written out one by one in single
// precision, with the same maths functions, for lights taken one after
// another at one shading point in every order of the shortcut branches.
#include "core/orenNayar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using orennayar::OrenNayar;
using orennayar::Rgb;
using orennayar::Vec3;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr double kPi = 3.14159265358979323846;

float dotf(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 perpendicular(const Vec3& D, const Vec3& N, float NdotD) {
  Vec3 p{D.x - N.x * NdotD, D.y - N.y * NdotD, D.z - N.z * NdotD};
  const float length = std::sqrt(dotf(p, p));
  if (length != 0.0f) p = Vec3{p.x / length, p.y / length, p.z / length};
  return p;
}

// Steps 1 to 10 of the model in their order, every angle, sine and tangent
// computed, with the guards against rounding and overflow: the arc cosines'
// arguments clamped to [-1, 1], the incident angle kept below a right angle,
// a squared roughness that overflows held at the largest float, and the sine
// of a float pi that comes out below zero taken as zero.
float stepByStep(const Vec3& N, const Vec3& V, const Vec3& L, float sigma) {
  const float cosThetaI = dotf(N, L);
  if (!(cosThetaI > 0.0f)) return 0.0f;
  const float largest = std::numeric_limits<float>::max();
  const float s = sigma * sigma > largest ? largest : sigma * sigma;
  const float A = 1.0f - 0.5f * s / (s + 0.33f);
  const float B = 0.45f * s / (s + 0.09f);
  const float cosThetaR = dotf(N, V);
  const float thetaR = std::acos(cosThetaR > 1.0f ? 1.0f : (cosThetaR < -1.0f ? -1.0f : cosThetaR));
  float thetaI = std::acos(cosThetaI > 1.0f ? 1.0f : cosThetaI);
  const float belowHalfPi = std::nextafter(float(kPi / 2), 0.0f);
  if (!(thetaI < belowHalfPi)) thetaI = belowHalfPi;
  float c = dotf(perpendicular(V, N, cosThetaR), perpendicular(L, N, cosThetaI));
  if (!(c > 0.0f)) c = 0.0f;
  const float alpha = thetaR > thetaI ? thetaR : thetaI;
  const float beta = thetaR > thetaI ? thetaI : thetaR;
  const float sinAlpha = std::sin(alpha) < 0.0f ? 0.0f : std::sin(alpha);
  return (A + std::tan(beta) * ((c * B) * sinAlpha)) * cosThetaI;
}

// Bit for bit; any two NaNs count as the same result.
bool sameResult(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

Vec3 fromAngles(double theta, double phi) {
  return Vec3{float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)),
              float(std::cos(theta))};
}

Vec3 normalized(double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  return Vec3{float(x / len), float(y / len), float(z / len)};
}

const Vec3 kUp{0.0f, 0.0f, 1.0f};

// Every light of a point through one model, in order, so that later lights
// meet the sine and tangent the earlier ones left behind.
void expectSameAsSteps(const Vec3& N, const Vec3& V, const std::vector<Vec3>& lights, float sigma,
                       const std::string& what) {
  OrenNayar model(N, V, sigma);
  for (std::size_t i = 0; i < lights.size(); ++i) {
    const float expected = stepByStep(N, V, lights[i], sigma);
    const float shared = model.factor(lights[i]);
    const float alone = orennayar::reflectanceFactor(N, V, lights[i], sigma);
    EXPECT_TRUE(sameResult(shared, expected))
        << what << ", light " << i << ": shared " << shared << ", steps " << expected;
    EXPECT_TRUE(sameResult(alone, expected))
        << what << ", light " << i << ": alone " << alone << ", steps " << expected;
  }
}

TEST(SharedViewModel, EveryShortcutGivesTheStepByStepBits) {
  struct Case {
    std::string what;
    Vec3 V;
    std::vector<Vec3> lights;
    float sigma;
  };
  const Vec3 steep = fromAngles(0.3, 0.0), shallow = fromAngles(1.2, 0.0);
  const std::vector<Case> cases = {
      {"opposite azimuth skips the angles",
       fromAngles(0.6, 0.0),
       {fromAngles(0.5, kPi), fromAngles(1.0, 2.5)},
       0.5f},
      {"view along the normal has no azimuth term",
       kUp,
       {steep, shallow, fromAngles(0.7, 1.0)},
       0.5f},
      {"view lower than every light: sine of the view angle shared",
       fromAngles(1.3, 0.2),
       {steep, fromAngles(0.8, 0.4), fromAngles(1.1, -0.3)},
       0.8f},
      {"view higher than every light: tangent of the view angle shared",
       fromAngles(0.2, 0.1),
       {shallow, fromAngles(0.8, 0.4), fromAngles(0.5, -0.3)},
       0.8f},
      {"lights on both sides of the view angle, sine first",
       fromAngles(0.9, 0.0),
       {steep, shallow, steep, shallow},
       1.0f},
      {"lights on both sides of the view angle, tangent first",
       fromAngles(0.9, 0.0),
       {shallow, steep, shallow, steep},
       1.0f},
      {"equal angles take the incident branch", steep, {steep, shallow}, 0.5f},
      {"skipped and full lights interleaved",
       fromAngles(0.7, 0.0),
       {fromAngles(0.5, kPi), steep, fromAngles(0.9, kPi), shallow},
       0.4f},
      {"back-facing view", fromAngles(2.0, 0.3), {steep, shallow, fromAngles(0.4, kPi)}, 0.6f},
      {"roughness 0", fromAngles(0.6, 0.4), {steep, shallow}, 0.0f},
      {"huge roughness", fromAngles(0.6, 0.4), {steep, shallow}, 1e4f},
      {"infinite roughness takes the limits of A and B",
       fromAngles(0.6, 0.4),
       {steep, fromAngles(0.5, kPi)},
       kInf},
      // N.V is exactly -1 while V still has a tangent part, so the view angle
      // is the float above pi, whose sine is negative, and the azimuth term is 1.
      {"view through the back of the surface at the float above pi",
       Vec3{1e-3f, 0.0f, -1.0f},
       {Vec3{1.0f, 0.0f, 1e-8f}, steep, Vec3{1.0f, 0.0f, 1e-8f}},
       0.5f},
      {"NaN roughness stays NaN", fromAngles(0.6, 0.4), {steep, fromAngles(0.5, kPi)}, kNaN},
      {"NaN view stays NaN even where the azimuth term is zero",
       Vec3{kNaN, 0.0f, 1.0f},
       {steep, fromAngles(0.5, kPi)},
       0.5f},
      {"grazing light",
       fromAngles(0.5, 0.0),
       {Vec3{1.0f, 0.0f, 1e-8f}, Vec3{-1.0f, 0.0f, 1e-8f}},
       0.5f},
      {"light below the horizon", fromAngles(0.5, 0.0), {fromAngles(1.8, 0.0), steep}, 0.5f},
  };
  for (const Case& c : cases) expectSameAsSteps(kUp, c.V, c.lights, c.sigma, c.what);
}

TEST(SharedViewModel, RandomPointsWithFourLightsGiveTheStepByStepBits) {
  std::mt19937 rng(606);
  std::normal_distribution<double> gauss;
  std::uniform_real_distribution<double> sigma(0.0, 2.0);
  int skipped = 0, sineShared = 0, tangentShared = 0;
  for (int i = 0; i < 20000; ++i) {
    const Vec3 N = normalized(gauss(rng), gauss(rng), gauss(rng));
    const Vec3 V = normalized(gauss(rng), gauss(rng), gauss(rng));
    const float s = float(sigma(rng));
    OrenNayar model(N, V, s);
    const float thetaR = std::acos(std::fmax(-1.0f, std::fmin(1.0f, dotf(N, V))));
    for (int k = 0; k < 4; ++k) {
      const Vec3 L = normalized(gauss(rng), gauss(rng), gauss(rng));
      const float expected = stepByStep(N, V, L, s);
      ASSERT_TRUE(sameResult(model.factor(L), expected)) << "point " << i << ", light " << k;
      // Count which path each lit light took, so the sweep is known to reach all three.
      const float cosThetaI = dotf(N, L);
      if (!(cosThetaI > 0.0f)) continue;
      if (dotf(perpendicular(V, N, dotf(N, V)), perpendicular(L, N, cosThetaI)) <= 0.0f)
        ++skipped;
      else if (thetaR > std::acos(std::fmin(1.0f, cosThetaI)))
        ++sineShared;
      else
        ++tangentShared;
    }
  }
  EXPECT_GT(skipped, 5000);
  EXPECT_GT(sineShared, 5000);
  EXPECT_GT(tangentShared, 5000);
}

TEST(SharedViewModel, ColorIsTheSameFactorScaled) {
  const Vec3 V = fromAngles(0.4, 0.3);
  OrenNayar model(kUp, V, 0.7f);
  const Rgb light{2.0f, 0.5f, -1.0f}, surface{0.25f, 3.0f, 0.75f};
  for (const Vec3& L : {fromAngles(0.9, 0.2), fromAngles(0.2, 0.1), fromAngles(0.6, kPi)}) {
    const float k = stepByStep(kUp, V, L, 0.7f) * 0.8f;
    const Rgb c = model.color(L, light, surface, 0.8f);
    EXPECT_TRUE(sameResult(c.r, 2.0f * k * 0.25f) && sameResult(c.g, 0.5f * k * 3.0f) &&
                sameResult(c.b, -1.0f * k * 0.75f));
  }
}

}  // namespace
