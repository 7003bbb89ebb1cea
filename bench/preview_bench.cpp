// What the preview renderer itself spends per camera sample (eye ray, sphere
// row intersection), against the control of shading those same hits with
// the reflectance term under the default lights. A small ratio means the
// summary's samples per second measure the host, not the renderer. Then what
// each host path costs per sample against the same control: the price of
// going through the host (data block, render state, parameter evaluation).
#include "core/orenNayar.h"
#include "preview/hosts.h"
#include "preview/render.h"
#include "preview/scene.h"
#include "ratioReporter.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using preview::Hit;
using preview::Scene;

const Scene& scene() {
  static const Scene s = preview::makeScene(640, 160, {0.0f, 0.25f, 0.5f, 1.0f}, {0.5f, 0.5f, 0.5f},
                                            0.8f, 0.0f, preview::LightPreset::Studio);
  return s;
}

// Pixel centres of the default row that hit a sphere, and their hits.
struct Samples {
  std::vector<float> px, py;
  std::vector<Hit> hits;
};

const Samples& samples() {
  static const Samples all = [] {
    Samples out;
    const Scene& s = scene();
    for (int y = 0; y < s.camera.height; y += 3) {
      for (int x = 0; x < s.camera.width; x += 3) {
        Hit hit;
        const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
        if (!preview::intersect(s, s.camera.rayDirection(px, py), hit)) continue;
        out.px.push_back(px);
        out.py.push_back(py);
        out.hits.push_back(hit);
      }
    }
    return out;
  }();
  return all;
}

void BM_TraceSample(benchmark::State& state) {
  const Scene& s = scene();
  const Samples& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    Hit hit;
    const bool found = preview::intersect(s, s.camera.rayDirection(all.px[i], all.py[i]), hit);
    benchmark::DoNotOptimize(found);
    benchmark::DoNotOptimize(hit);
    if (++i == all.hits.size()) i = 0;
  }
}

void BM_ShadeSampleControl(benchmark::State& state) {
  const Scene& s = scene();
  const Samples& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Hit& hit = all.hits[i];
    const preview::Material& m = s.spheres[static_cast<std::size_t>(hit.sphere)].material;
    const orennayar::Vec3 V{-hit.direction.x, -hit.direction.y, -hit.direction.z};
    float sum = 0.0f;
    for (const preview::Light& light : s.lights) {
      const preview::LightSample sample = preview::sampleLight(light, hit.point, 0);
      sum += orennayar::reflectanceColor(V, hit.normal, sample.toLight, sample.color, m.color,
                                         m.roughness, m.diffuse)
                 .g;
    }
    benchmark::DoNotOptimize(sum);
    if (++i == all.hits.size()) i = 0;
  }
}

void shadeThrough(benchmark::State& state, preview::Host host) {
  preview::Options options;
  options.host = host;
  options.mayaPlugin = MATTORA_PLUGIN_PATH;
  options.mentalrayLibrary = VELA_MATTORA_LIBRARY;
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
  std::string error;
  if (!preview::makeBackends(options, backends, error) || !backends[0]->prepare(scene(), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::unique_ptr<preview::ThreadShader> shader = backends[0]->forThread();
  const Samples& all = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const preview::Rgb c = shader->shade(all.hits[i]);
    benchmark::DoNotOptimize(c);
    if (++i == all.hits.size()) i = 0;
  }
}

void BM_ShadeThroughMaya(benchmark::State& state) { shadeThrough(state, preview::Host::Maya); }
void BM_ShadeThroughMentalray(benchmark::State& state) {
  shadeThrough(state, preview::Host::Mentalray);
}

BENCHMARK(BM_TraceSample);
BENCHMARK(BM_ShadeSampleControl);
BENCHMARK(BM_ShadeThroughMaya);
BENCHMARK(BM_ShadeThroughMentalray);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_TraceSample", "BM_ShadeSampleControl"},
                               {"BM_ShadeThroughMaya", "BM_ShadeSampleControl"},
                               {"BM_ShadeThroughMentalray", "BM_ShadeSampleControl"}});
}
