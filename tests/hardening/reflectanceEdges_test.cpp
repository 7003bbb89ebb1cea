// Finite inputs at the edges of float range and of the model's geometry,
// where rounding once produced values the model does not have.
#include "core/orenNayar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using orennayar::reflectanceFactor;
using orennayar::Vec3;

namespace {

constexpr float kMaxFloat = std::numeric_limits<float>::max();
// A result in the denormal range is only good to its last place.
constexpr double kDenormMin = std::numeric_limits<float>::denorm_min();
const Vec3 kUp{0.0f, 0.0f, 1.0f};

// A unit direction at polar angle theta from +z in the x-z plane.
Vec3 inXZ(double theta) { return Vec3{float(std::sin(theta)), 0.0f, float(std::cos(theta))}; }

TEST(ReflectanceEdges, RoughnessTooLargeToSquareTakesTheModelsLimit) {
  // As sigma grows, A -> 0.5 and B -> 0.45; with V = L in one azimuth the
  // factor is cos(theta) * (A + B sin(theta) tan(theta)).
  const double theta = 0.7;
  const double limit = std::cos(theta) * (0.5 + 0.45 * std::sin(theta) * std::tan(theta));
  struct Case {
    std::string what;
    float sigma;
  };
  const std::vector<Case> cases = {
      {"just above the square's overflow", 1.9e19f},
      {"far above it", 1e30f},
      {"the largest float", kMaxFloat},
      {"the most negative float", -kMaxFloat},
  };
  for (const Case& c : cases) {
    const float f = reflectanceFactor(kUp, inXZ(theta), inXZ(theta), c.sigma);
    EXPECT_NEAR(f, limit, 2e-6) << c.what;
  }
}

TEST(ReflectanceEdges, ViewThroughTheBackNeverMakesAGrazingLightNegative) {
  // V is a unit vector (its length differs from 1 by less than half an ulp)
  // whose cosine with N rounds to exactly -1, so theta_r is the float above
  // pi; yet V has a tangent part, in the light's azimuth. Mathematically
  // sin(alpha) = sin(pi) = 0 and the factor is A cos(theta_i) >= 0.
  const Vec3 V{1e-4f, 0.0f, -1.0f};
  struct Case {
    std::string what;
    float cosThetaI;
  };
  const std::vector<Case> cases = {
      {"light below the capped angle", 1e-9f},
      {"light at 1e-8", 1e-8f},
      {"light where acos rounds below pi/2", 3e-8f},
      {"smallest denormal cosine", float(kDenormMin)},
  };
  for (const Case& c : cases) {
    const Vec3 L{std::sqrt(1.0f - c.cosThetaI * c.cosThetaI), 0.0f, c.cosThetaI};
    for (float sigma : {1.0f, 10.0f, 1e4f, kMaxFloat}) {
      const float f = reflectanceFactor(kUp, V, L, sigma);
      const double A = 1.0 - 0.5 * double(sigma) * sigma / (double(sigma) * sigma + 0.33);
      EXPECT_GE(f, 0.0f) << c.what << ", sigma " << sigma;
      EXPECT_NEAR(f, A * c.cosThetaI, 1e-6 * c.cosThetaI + kDenormMin)
          << c.what << ", sigma " << sigma;
    }
  }
}

}  // namespace
