// Shading allocates nothing: the entry, the binding stubs and the renderer
// functions it reaches. Every allocation of the process is counted while it
// shades.
#include <gtest/gtest.h>

#include <memory>

#include "shadingFixture.h"
#include "support/allocationCounter.h"

namespace {

class Allocation : public mrtest::ShadingTest {};

TEST_F(Allocation, HundredThousandShadingCallsAllocateNothing) {
  if (!allocationcounter::available()) GTEST_SKIP() << "allocations are counted only with glibc";
  params().setLights(
      "light",
      {mrhost::addLight(mrhost::pointLight({1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 2.0f, 3.0f})),
       mrhost::addLight(mrhost::directionalLight({0.5f, 0.5f, 0.5f, 1.0f}, {0.0f, 1.0f, -1.0f})),
       mrhost::addLight(mrhost::rectangleLight({1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 4.0f},
                                               {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 2, 2))});
  params().drive("color",
                 mrhost::addChecker({1.0f, 1.0f, 1.0f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}, 0.25f));
  params().setBoolean("irradiance", true);
  params().setColor("irradianceColor", {1.0f, 1.0f, 1.0f, 1.0f});
  mrhost::setEnvironment({{0.2f, 0.2f, 0.2f, 1.0f}, {0.1f, 0.1f, 0.1f, 0.0f}, {0, 0, 1}}, true);
  prepare();
  shade();  // warm-up: the first call resolves the renderer functions

  // A counter that no allocation moved would prove nothing: it must see one
  // made here and one made inside the renderer library.
  allocationcounter::start();
  auto probe = std::make_unique<int>(1);
  EXPECT_EQ(allocationcounter::stop(), 1);
  allocationcounter::start();
  mrhost::ShaderInstance another(declaration());
  EXPECT_GT(allocationcounter::stop(), 0);

  float sum = 0.0f;
  allocationcounter::start();
  for (int i = 0; i < 100000; ++i) {
    miState& state = context_.state();
    state.point.x = 0.001f * static_cast<float>(i % 1000);
    sum += shade().r;
  }
  EXPECT_EQ(allocationcounter::stop(), 0);
  EXPECT_GT(sum, 0.0f);
}

}  // namespace
