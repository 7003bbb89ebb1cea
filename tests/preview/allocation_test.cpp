// Shading a sample through either host path must not touch the heap: counted
// with a replaced global operator new, which the stand-in hosts and the
// plug-ins share with this program.
#include "preview/hosts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

// ThreadSanitizer's runtime defines the global operator new itself, so a
// replacement cannot link there; gcc says so with __SANITIZE_THREAD__, clang
// 14 only through __has_feature.
#if defined(__SANITIZE_THREAD__)
#define PREVIEWTEST_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PREVIEWTEST_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef PREVIEWTEST_COUNTS_ALLOCATIONS
#define PREVIEWTEST_COUNTS_ALLOCATIONS 1
#endif

#if PREVIEWTEST_COUNTS_ALLOCATIONS
namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes free() inside a replaced operator delete for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
#endif

namespace {

TEST(Allocation, ShadingThroughEitherHostAllocatesNothing) {
#if !PREVIEWTEST_COUNTS_ALLOCATIONS
  GTEST_SKIP() << "ThreadSanitizer owns operator new; allocations are counted in the other builds";
#else
  struct Case {
    const char* name;
    preview::Host host;
    bool extras;
  };
  const Case cases[] = {{"maya", preview::Host::Maya, false},
                        {"mentalray", preview::Host::Mentalray, false},
                        {"mentalray with irradiance and texture", preview::Host::Mentalray, true}};
  for (const Case& c : cases) {
    preview::Options options;
    options.host = c.host;
    options.mayaPlugin = MATTORA_PLUGIN_PATH;
    options.mentalrayLibrary = VELA_MATTORA_LIBRARY;
    options.irradiance = options.texture = c.extras;
    // The area preset: several lights, one of them with many samples.
    const preview::Scene scene =
        preview::makeScene(64, 16, options.roughness, options.color, options.diffuse, 0.0f,
                           preview::LightPreset::Area);
    std::vector<std::unique_ptr<preview::ShadingBackend> > backends;
    std::string error;
    ASSERT_TRUE(preview::makeBackends(options, backends, error)) << error;
    ASSERT_TRUE(backends[0]->prepare(scene, error)) << c.name << ": " << error;
    std::unique_ptr<preview::ThreadShader> shader = backends[0]->forThread();

    gAllocations = 0;
    gCounting = true;
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
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0) << c.name;
    EXPECT_TRUE(std::isfinite(sum)) << c.name;
  }
#endif
}

}  // namespace
