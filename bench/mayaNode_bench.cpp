// Cost of one outColor evaluation of the mattora node through the stand-in
// host, as the renderer pays it per sample: set the per-sample inputs (normal,
// eye ray, each light's direction and intensity), request the plug, read it
// back. The control is the node's Lambert twin, the same source built with a
// Lambert cosine in place of the Oren-Nayar factor, on the same host path; a
// second control computes the same colour directly, without the host.
//
// Both plug-ins register the node type "mattora", so each benchmark loads
// its own and unloads it when done.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/orenNayar.h"
#include "mayahost/host.h"
#include "ratioReporter.h"
#include "support/besideExecutable.h"

namespace {

using orennayar::Vec3;

constexpr int kMaxLights = 4;
constexpr std::size_t kSamples = 1024;  // a power of two, so the index wraps with a mask

struct Sample {
  Vec3 normal, ray;
};

// Unnormalised inputs, as a renderer may hand them: the node normalises.
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

// The first light lies above every sample's surface; the last lies below it.
const Vec3 kLightDirections[kMaxLights] = {
    {1, 1, 2}, {-2, 0.5f, 1}, {0.3f, -1, 0.8f}, {0.5f, 0.2f, -1}};
const float kIntensity[3] = {0.9f, 0.8f, 0.7f};
const float kColor[3] = {0.5f, 0.5f, 0.5f};

Vec3 unit(Vec3 v) {
  const float len = std::sqrt(orennayar::dot(v, v));
  return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

// One node of a loaded plug-in with one data block, its handles resolved.
struct LoadedNode {
  std::unique_ptr<mayahost::Plugin> plugin;
  std::unique_ptr<mayahost::Node> node;
  std::unique_ptr<mayahost::DataBlock> block;
  mayahost::Attribute normal, ray, direction, intensity, out;
  std::string error;

  LoadedNode(const char* relativePath, unsigned lights) {
    plugin = mayahost::Plugin::load(testsupport::besideExecutable(relativePath), &error);
    if (!plugin) return;
    const auto type = mayahost::findType("mattora");
    if (!type) {
      error = "the plug-in registered no type \"mattora\"";
      return;
    }
    node = mayahost::Node::create(*type, &error);
    if (!node) return;
    block = node->newDataBlock();
    normal = type->attribute("normalCamera");
    ray = type->attribute("rayDirection");
    direction = type->attribute("lightDirection");
    intensity = type->attribute("lightIntensity");
    out = type->attribute("outColor");
    block->setElementCount(type->attribute("lightDataArray"), lights);
  }

  ~LoadedNode() {
    block.reset();
    node.reset();
    if (plugin) plugin->unload(nullptr);
  }
};

// One shading sample as the renderer hands it to the node. Kept out of line
// so an instruction profile can count its calls and its cost.
[[gnu::noinline]] mayahost::Float3 shadeThroughHost(LoadedNode& n, const Sample& s,
                                                    unsigned lights) {
  mayahost::DataBlock& b = *n.block;
  b.setVector(n.normal, s.normal.x, s.normal.y, s.normal.z);
  b.setVector(n.ray, s.ray.x, s.ray.y, s.ray.z);
  for (unsigned e = 0; e < lights; ++e) {
    const Vec3& d = kLightDirections[e];
    b.setVector(n.direction, d.x, d.y, d.z, e);
    b.setVector(n.intensity, kIntensity[0], kIntensity[1], kIntensity[2], e);
  }
  b.request(n.out);
  return b.getVector(n.out);
}

void runThroughHost(benchmark::State& state, const char* relativePath) {
  const auto lights = static_cast<unsigned>(state.range(0));
  LoadedNode n(relativePath, lights);
  if (!n.block) {
    state.SkipWithError(n.error.c_str());
    return;
  }
  const auto& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const mayahost::Float3 color = shadeThroughHost(n, all[i++ & (kSamples - 1)], lights);
    benchmark::DoNotOptimize(color);
  }
}

void BM_mattora(benchmark::State& state) { runThroughHost(state, MATTORA_PLUGIN); }
void BM_lambertTwin(benchmark::State& state) { runThroughHost(state, LAMBERT_TWIN_PLUGIN); }

// The node's arithmetic for the same sample, without the host.
void BM_directColor(benchmark::State& state) {
  const auto lights = static_cast<std::size_t>(state.range(0));
  const auto& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& s = all[i++ & (kSamples - 1)];
    const Vec3 N = unit(s.normal), R = unit(s.ray);
    orennayar::OrenNayar model(N, Vec3{-R.x, -R.y, -R.z}, 0.5f);
    float sum[3] = {0, 0, 0};
    for (std::size_t e = 0; e < lights; ++e) {
      const Vec3 L = unit(kLightDirections[e]);
      if (orennayar::dot(N, L) > 0.0f) {
        const float k = model.factor(L) * 0.8f;
        for (int c = 0; c < 3; ++c) sum[c] += kColor[c] * (kIntensity[c] * k);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(BM_mattora)->ArgName("lights")->Arg(1)->Arg(4);
BENCHMARK(BM_lambertTwin)->ArgName("lights")->Arg(1)->Arg(4);
BENCHMARK(BM_directColor)->ArgName("lights")->Arg(1)->Arg(4);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_mattora/lights:1", "BM_lambertTwin/lights:1"},
                               {"BM_mattora/lights:4", "BM_lambertTwin/lights:4"},
                               {"BM_mattora/lights:1", "BM_directColor/lights:1"},
                               {"BM_mattora/lights:4", "BM_directColor/lights:4"}});
}
