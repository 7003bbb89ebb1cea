// Shading allocates nothing: the entry, the binding stubs and the renderer
// functions it reaches. Counts every malloc of the process while it shades.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

#include "shadingFixture.h"

// gcc names a sanitizer build with __SANITIZE_*__, clang (before 15) only
// through __has_feature; under either the sanitizer owns malloc.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MRTEST_UNDER_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(MRTEST_UNDER_SANITIZER)
#define MRTEST_COUNTS_ALLOCATIONS 0
#elif defined(__GLIBC__)
#define MRTEST_COUNTS_ALLOCATIONS 1
#else
#define MRTEST_COUNTS_ALLOCATIONS 0
#endif

#if MRTEST_COUNTS_ALLOCATIONS
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

// glibc's own entry points, which these replacements forward to.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

extern "C" void* malloc(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
  return __libc_realloc(block, size);
}
#endif

namespace {

class Allocation : public mrtest::ShadingTest {};

TEST_F(Allocation, HundredThousandShadingCallsAllocateNothing) {
#if !MRTEST_COUNTS_ALLOCATIONS
  GTEST_SKIP() << "allocations are counted only in plain glibc builds";
#else
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
  shade();  // the first call resolves the renderer functions

  // A counter that no allocation moved would prove nothing: check it counts.
  counting = true;
  void* probe = malloc(16);
  counting = false;
  free(probe);
  ASSERT_EQ(allocations.exchange(0), 1);

  float sum = 0.0f;
  counting = true;
  for (int i = 0; i < 100000; ++i) {
    miState& state = context_.state();
    state.point.x = 0.001f * static_cast<float>(i % 1000);
    sum += shade().r;
  }
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_GT(sum, 0.0f);
#endif
}

}  // namespace
