// Cost of one outColor evaluation of the mattora node through the stand-in
// host (mayaNodeWorkload.h). The control is the node's Lambert twin, the same
// source built with a Lambert cosine in place of the Oren-Nayar factor, on
// the same host path; a second control computes the same colour directly,
// without the host.
#include <cstddef>

#include "mayaNodeWorkload.h"
#include "ratioReporter.h"
#include "support/besideExecutable.h"

namespace {

using namespace bench;

void runThroughHost(benchmark::State& state, const char* relativePath) {
  const auto lights = static_cast<unsigned>(state.range(0));
  LoadedNode n(testsupport::besideExecutable(relativePath), lights);
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
