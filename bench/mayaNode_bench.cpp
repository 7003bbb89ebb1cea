// Cost of one outColor evaluation of the mattora node through the stand-in
// host (set the per-sample inputs, request the plug, read it back), against
// a control that computes the same colour directly from the shared term.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/orenNayar.h"
#include "mayahost/host.h"
#include "ratioReporter.h"

namespace {

using orennayar::Vec3;

constexpr int kLights = 4;
constexpr std::size_t kSamples = 1024;  // a power of two, so the index wraps with a mask

struct Sample {
  Vec3 normal, ray;
};

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> out;
    for (std::size_t i = 0; i < kSamples; ++i) {
      const float t = 0.013f * float(i);
      out.push_back({{std::sin(t), std::cos(t), 2.0f}, {0.3f * std::cos(2 * t), -0.5f, -1.0f}});
    }
    return out;
  }();
  return all;
}

const Vec3 kLightDirections[kLights] = {
    {1, 1, 2}, {-2, 0.5f, 1}, {0.3f, -1, 0.8f}, {0.5f, 0.2f, -1}};
const float kIntensity[3] = {0.9f, 0.8f, 0.7f};
const float kColor[3] = {0.5f, 0.5f, 0.5f};

Vec3 unit(Vec3 v) {
  const float len = std::sqrt(orennayar::dot(v, v));
  return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

void BM_controlDirectColor(benchmark::State& state) {
  const auto& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& s = all[i++ & (kSamples - 1)];
    const Vec3 N = unit(s.normal), R = unit(s.ray);
    const orennayar::OrenNayar model(N, Vec3{-R.x, -R.y, -R.z}, 0.5f);
    float sum[3] = {0, 0, 0};
    for (const Vec3& direction : kLightDirections) {
      const Vec3 L = unit(direction);
      if (orennayar::dot(N, L) > 0.0f) {
        const float k = model.factor(L) * 0.8f;
        for (int c = 0; c < 3; ++c) sum[c] += kColor[c] * (kIntensity[c] * k);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_outColorThroughHost(benchmark::State& state) {
  std::string error;
  auto plugin = mayahost::Plugin::load(MATTORA_PLUGIN_PATH, &error);
  if (!plugin) {
    state.SkipWithError(error.c_str());
    return;
  }
  {
    const mayahost::NodeType type = *mayahost::findType("mattora");
    auto node = mayahost::Node::create(type);
    auto block = node->newDataBlock();
    const auto normal = type.attribute("normalCamera"), ray = type.attribute("rayDirection");
    const auto direction = type.attribute("lightDirection");
    const auto intensity = type.attribute("lightIntensity"), out = type.attribute("outColor");
    block->setElementCount(type.attribute("lightDataArray"), kLights);
    const auto& all = samples();
    std::size_t i = 0;
    for (auto _ : state) {
      const Sample& s = all[i++ & (kSamples - 1)];
      block->setVector(normal, s.normal.x, s.normal.y, s.normal.z);
      block->setVector(ray, s.ray.x, s.ray.y, s.ray.z);
      for (unsigned e = 0; e < kLights; ++e) {
        const Vec3& d = kLightDirections[e];
        block->setVector(direction, d.x, d.y, d.z, e);
        block->setVector(intensity, kIntensity[0], kIntensity[1], kIntensity[2], e);
      }
      block->request(out);
      benchmark::DoNotOptimize(block->getVector(out));
    }
  }
  plugin->unload(&error);
}

BENCHMARK(BM_controlDirectColor);
BENCHMARK(BM_outColorThroughHost);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv, {{"BM_outColorThroughHost", "BM_controlDirectColor"}});
}
