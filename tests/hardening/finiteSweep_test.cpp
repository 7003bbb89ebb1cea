// What finite input must give: for unit-length normals, views and lights and
// a finite roughness, the reflectance term is finite and within the model's
// range, however the directions sit against each other.
#include "adversarialVectors.h"
#include "core/orenNayar.h"

#include <gtest/gtest.h>

#include <cmath>

using hardening::adversarialDirections;
using hardening::adversarialNormals;
using hardening::adversarialRoughness;
using hardening::Direction;
using orennayar::OrenNayar;
using orennayar::reflectanceColor;
using orennayar::reflectanceFactor;
using orennayar::Rgb;

namespace {

TEST(FiniteSweep, ReflectanceTermIsFiniteAndInRangeForEveryUnitConfiguration) {
  // f = cos(theta_i) (A + B c sin(alpha) tan(beta)) with A <= 1, B < 0.45 and
  // cos(theta_i) tan(beta) <= sin(theta_i), so 0 <= f <= 1.45.
  const Rgb light{1.0f, 2.0f, 0.5f}, surface{0.5f, 1.0f, 0.25f};
  long cases = 0;
  for (const Direction& N : adversarialNormals()) {
    const auto directions = adversarialDirections(N.v);
    for (const Direction& V : directions)
      for (float sigma : adversarialRoughness()) {
        const OrenNayar shared(N.v, V.v, sigma);
        for (const Direction& L : directions) {
          const float f = reflectanceFactor(N.v, V.v, L.v, sigma);
          const Rgb c = reflectanceColor(V.v, N.v, L.v, light, surface, sigma, 0.8f);
          ++cases;
          ASSERT_TRUE(std::isfinite(f) && f >= 0.0f && f <= 1.5f)
              << "f " << f << ": N " << N.what << ", V " << V.what << ", L " << L.what << ", sigma "
              << sigma;
          ASSERT_TRUE(std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b))
              << "N " << N.what << ", V " << V.what << ", L " << L.what << ", sigma " << sigma;
          ASSERT_EQ(f, shared.factor(L.v)) << "shared-view form differs";
        }
      }
  }
  EXPECT_GT(cases, 100000);
}

}  // namespace
