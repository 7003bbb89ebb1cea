// Shading a sample through either host path must not touch the heap: every
// allocation of the process is counted while the backends shade.
#include "preview/hosts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/allocationCounter.h"
#include "support/besideExecutable.h"

namespace {

TEST(Allocation, ShadingThroughEitherHostAllocatesNothing) {
  struct Case {
    const char* name;
    preview::Host host;
    bool extras;
  };
  const Case cases[] = {{"maya", preview::Host::Maya, false},
                        {"mentalray", preview::Host::Mentalray, false},
                        {"mentalray with irradiance and texture", preview::Host::Mentalray, true}};
  if (!allocationcounter::available()) GTEST_SKIP() << "allocations are counted only with glibc";
  for (const Case& c : cases) {
    preview::Options options;
    options.host = c.host;
    options.mayaPlugin = testsupport::besideExecutable(MATTORA_PLUGIN_PATH);
    options.mentalrayLibrary = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
    options.irradiance = options.texture = c.extras;
    // The area preset: several lights, one of them with many samples.
    const preview::Scene scene =
        preview::makeScene(64, 16, options.roughness, options.color, options.diffuse, 0.0f,
                           preview::LightPreset::Area);
    std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
    std::string error;
    ASSERT_TRUE(preview::makeBackends(options, backends, error)) << error;
    ASSERT_TRUE(backends[0]->prepare(scene, error)) << c.name << ": " << error;
    std::unique_ptr<preview::ThreadShader> shader = backends[0]->forThread();

    allocationcounter::start();
    float sum = 0.0f;
    for (int i = 0; i < 2000; ++i) {
      const size_t sphere = static_cast<size_t>(i) % scene.spheres.size();
      const preview::Vec3 centre = scene.spheres[sphere].center;
      const float a = 0.001f * static_cast<float>(i);
      const preview::Vec3 normal{std::sin(a), 0.0f, std::cos(a)};
      const preview::Vec3 point{centre.x + normal.x, centre.y, centre.z + normal.z};
      const float length = std::sqrt(point.x * point.x + point.y * point.y + point.z * point.z);
      const preview::Hit hit{static_cast<int>(sphere), point, normal,
                             preview::Vec3{point.x / length, point.y / length, point.z / length}};
      sum += shader->shade(hit).r;
    }
    EXPECT_EQ(allocationcounter::stop(), 0) << c.name;
    EXPECT_TRUE(std::isfinite(sum)) << c.name;
  }
}

}  // namespace
