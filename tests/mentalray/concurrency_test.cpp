// Several render threads shading through a freshly set module handle: the
// first calls race on the lookups, and every thread evaluates driven
// parameters through its own state. Meant to run under ThreadSanitizer too.
#include <atomic>
#include <thread>
#include <vector>

#include "shadingFixture.h"

namespace {

constexpr int kThreads = 4;
constexpr int kSamples = 200;

class Concurrency : public mrtest::ShadingTest {
 protected:
  // Shades kSamples points across a sphere-like spread of normals.
  static std::vector<miColor> shadeAll(const mrhost::ShaderLibrary& library,
                                       mrhost::ShaderInstance& instance, int thread,
                                       std::atomic<int>* startLine) {
    mrhost::ShadingContext context(thread);
    std::vector<miColor> results(kSamples);
    if (startLine) {
      startLine->fetch_add(1);
      while (startLine->load() < kThreads) std::this_thread::yield();
    }
    for (int i = 0; i < kSamples; ++i) {
      const float t = static_cast<float>(i) / kSamples;
      const miVector normal{std::cos(6.2831853f * t) * 0.6f, std::sin(6.2831853f * t) * 0.6f, 0.8f};
      const miVector point{normal.x * 3.0f, normal.y * 3.0f, normal.z * 3.0f - 0.25f * i};
      context.prepare(miVector{0.0f, 0.0f, 10.0f}, miVector{0.0f, 0.0f, -1.0f}, point, normal,
                      instance.function());
      results[i] = miColor{0.0f, 0.0f, 0.0f, 0.0f};
      library.shade(&results[i], &context.state(), instance.parameters());
    }
    return results;
  }
};

TEST_F(Concurrency, ThreadsShadeLikeOneThread) {
  const miTag lights[] = {
      mrhost::addLight(mrhost::pointLight({1.0f, 0.9f, 0.8f, 1.0f}, {4.0f, 4.0f, 6.0f})),
      mrhost::addLight(mrhost::directionalLight({0.3f, 0.3f, 0.5f, 1.0f}, {-1.0f, 0.0f, -1.0f})),
      mrhost::addLight(mrhost::rectangleLight({2.0f, 2.0f, 2.0f, 1.0f}, {0.0f, -5.0f, 5.0f},
                                              {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}, 3, 2)),
  };
  params().setLights("light", {lights[0], lights[1], lights[2]});
  params().drive("color",
                 mrhost::addChecker({0.9f, 0.2f, 0.1f, 1.0f}, {0.1f, 0.3f, 0.9f, 1.0f}, 0.5f));
  const float roughness = 0.7f;
  params().drive("roughness", mrhost::addConstantShader(&roughness, sizeof roughness));
  params().setBoolean("irradiance", true);
  params().setColor("irradianceColor", {0.2f, 0.2f, 0.2f, 0.0f});
  mrhost::setEnvironment({{0.1f, 0.2f, 0.3f, 1.0f}, {0.05f, 0.05f, 0.05f, 0.0f}, {0, 0, 1}}, true);

  const std::vector<miColor> reference = shadeAll(library(), params(), 0, nullptr);

  library().setModuleHandle(mrhost::rendererModule());
  std::atomic<int> startLine{0};
  std::vector<std::vector<miColor>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { results[t] = shadeAll(library(), params(), t + 1, &startLine); });
  for (std::thread& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kSamples; ++i)
      ASSERT_EQ(std::memcmp(&results[t][i], &reference[i], sizeof(miColor)), 0)
          << "thread " << t << " sample " << i;
  // Something was lit: a test of zeros would prove nothing.
  EXPECT_GT(reference[0].r + reference[0].g + reference[0].b, 0.1f);
}

}  // namespace
