// Per-sample evaluation through the host must not touch the heap: counted
// with a replaced global operator new, which the host libraries and the
// plug-in share with this program.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "mayahost/host.h"
#include "pluginFixture.h"

// ThreadSanitizer's runtime defines the global operator new itself, so a
// replacement cannot link there; gcc says so with __SANITIZE_THREAD__, clang
// 14 only through __has_feature.
#if defined(__SANITIZE_THREAD__)
#define MATTORATEST_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MATTORATEST_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef MATTORATEST_COUNTS_ALLOCATIONS
#define MATTORATEST_COUNTS_ALLOCATIONS 1
#endif

#if MATTORATEST_COUNTS_ALLOCATIONS
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

using Allocation = mattoratest::LoadedPlugin;

TEST_F(Allocation, PerSampleCallsAllocateNothing) {
#if !MATTORATEST_COUNTS_ALLOCATIONS
  GTEST_SKIP() << "ThreadSanitizer owns operator new; allocations are counted in the other builds";
#else
  mayahost::DataBlock& b = newBlock();
  const auto normal = attr("normalCamera"), ray = attr("rayDirection");
  const auto lights = attr("lightDataArray"), dir = attr("lightDirection");
  const auto intensity = attr("lightIntensity"), ambient = attr("lightAmbient");
  const auto out = attr("outColor"), outT = attr("outTransparency");
  ASSERT_TRUE(b.setElementCount(lights, 3));

  gCounting = true;
  float sum = 0.0f;
  for (int i = 0; i < 20000; ++i) {
    const float t = 0.001f * float(i);
    b.setVector(normal, t, 0.5f, 1.0f);
    b.setVector(ray, 0.1f, -t, -1.0f);
    for (unsigned e = 0; e < 3; ++e) {
      b.setVector(dir, t * float(e), 1.0f, 0.5f, e);
      b.setVector(intensity, 1.0f, 0.5f, 0.25f, e);
      b.setBool(ambient, e == 1, e);
    }
    b.request(out);
    b.request(outT);
    sum += b.getVector(out).x;
  }
  gCounting = false;
  EXPECT_EQ(gAllocations.load(), 0);
  EXPECT_TRUE(std::isfinite(sum));
#endif
}

}  // namespace
