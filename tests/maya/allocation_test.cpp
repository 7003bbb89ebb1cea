// Per-sample evaluation through the host must not touch the heap: every
// allocation of the process is counted while the node shades.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "mayahost/host.h"
#include "pluginFixture.h"
#include "support/allocationCounter.h"

namespace {

using Allocation = mattoratest::LoadedPlugin;

TEST_F(Allocation, HundredThousandShadingCallsAllocateNothing) {
  if (!allocationcounter::available()) GTEST_SKIP() << "allocations are counted only with glibc";
  mayahost::DataBlock& b = newBlock();
  const auto normal = attr("normalCamera"), ray = attr("rayDirection");
  const auto lights = attr("lightDataArray"), dir = attr("lightDirection");
  const auto intensity = attr("lightIntensity"), ambient = attr("lightAmbient");
  const auto out = attr("outColor"), outT = attr("outTransparency");

  // A counter that no allocation moved would prove nothing: it must see one
  // made here and one made inside the host library.
  allocationcounter::start();
  auto probe = std::make_unique<int>(1);
  EXPECT_EQ(allocationcounter::stop(), 1);
  allocationcounter::start();
  ASSERT_TRUE(b.setElementCount(lights, 3));
  EXPECT_GT(allocationcounter::stop(), 0);

  auto shade = [&](int i) {
    const float t = 0.00001f * float(i);
    b.setVector(normal, t, 0.5f, 1.0f);
    b.setVector(ray, 0.1f, -t, -1.0f);
    for (unsigned e = 0; e < 3; ++e) {
      b.setVector(dir, t * float(e + 1), 1.0f - float(e), 0.5f, e);
      b.setVector(intensity, 1.0f, 0.5f, 0.25f, e);
      b.setBool(ambient, e == 1, e);
    }
    b.request(out);
    b.request(outT);
    return b.getVector(out).x;
  };
  shade(0);  // warm-up

  float sum = 0.0f;
  allocationcounter::start();
  for (int i = 1; i <= 100000; ++i) sum += shade(i);
  EXPECT_EQ(allocationcounter::stop(), 0);
  EXPECT_TRUE(std::isfinite(sum));
  EXPECT_GT(sum, 0.0f);
}

}  // namespace
