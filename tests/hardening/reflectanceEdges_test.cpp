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

}  // namespace
