// What the preview renderer itself spends per camera sample (eye ray, sphere
// row intersection), against the control of shading those same hits with
// the reflectance term under the default lights. A small ratio means the
// summary's samples per second measure the host, not the renderer. Then what
// each host path costs per sample against the same control: the price of
// going through the host (data block, render state, parameter evaluation).
// Last, each host's throughput over a whole picture with one render thread
// against one per core: how far shading scales across the machine, beside
// how far plain arithmetic scales on it at the same moment.
#include "core/orenNayar.h"
#include "preview/hosts.h"
#include "preview/options.h"
#include "preview/render.h"
#include "preview/scene.h"
#include "ratioReporter.h"
#include "support/besideExecutable.h"

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
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

// The host's backend, prepared for the benchmark scene; null with the reason
// reported to the benchmark when it cannot be.
std::unique_ptr<preview::ShadingBackend> preparedBackend(benchmark::State& state,
                                                         preview::Host host) {
  preview::Options options;
  options.host = host;
  options.mayaPlugin = testsupport::besideExecutable(MATTORA_PLUGIN);
  options.mentalrayLibrary = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
  std::string error;
  if (!preview::makeBackends(options, backends, error) || !backends[0]->prepare(scene(), error)) {
    state.SkipWithError(error.c_str());
    return nullptr;
  }
  return std::move(backends[0]);
}

void shadeThrough(benchmark::State& state, preview::Host host) {
  const std::unique_ptr<preview::ShadingBackend> backend = preparedBackend(state, host);
  if (!backend) return;
  const std::unique_ptr<preview::ThreadShader> shader = backend->forThread();
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

// One whole picture per iteration with state.range(0) render threads, timed
// on the wall clock; the items are shaded samples, so the counter reads as
// samples per second. The CPU time is that of all threads: when the speed-up
// falls short, an unchanged CPU time per picture says the cores were busy
// with other work, a grown one that the threads got in each other's way. The CPU time is that of
// all threads: when the speed-up falls short, an unchanged CPU time per picture says the cores were
// busy with other work, a grown one that the threads got in each other's way.
void renderPictures(benchmark::State& state, preview::Host host) {
  const std::unique_ptr<preview::ShadingBackend> backend = preparedBackend(state, host);
  if (!backend) return;
  preview::RenderSettings settings;
  settings.threads = static_cast<int>(state.range(0));
  preview::LinearImage image;
  long long shaded = 0;
  for (auto _ : state) {
    const preview::RenderStats stats = preview::renderImage(scene(), *backend, settings, image);
    shaded += stats.shadedSamples;
  }
  state.SetItemsProcessed(shaded);
}

// The control: what the machine gives at this moment to the same number of
// threads started the same way, each spinning through its share of a fixed
// amount of arithmetic that touches no memory. Its speed-up is the most any
// code can get from the cores the machine has free.
void BM_SpinControl(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  constexpr long kSteps = 4000000;  // about as long as one picture takes
  for (auto _ : state) {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
      pool.emplace_back([threads] {
        float x = 1.0f;
        for (long i = 0; i < kSteps / threads; ++i) {
          x = x * 0.999999f + 1e-6f;
          benchmark::DoNotOptimize(x);
        }
      });
    }
    for (std::thread& thread : pool) thread.join();
  }
}

void BM_PictureMaya(benchmark::State& state) { renderPictures(state, preview::Host::Maya); }
void BM_PictureMentalray(benchmark::State& state) {
  renderPictures(state, preview::Host::Mentalray);
}

const int kAllCores = preview::defaultThreadCount();

BENCHMARK(BM_TraceSample);
BENCHMARK(BM_ShadeSampleControl);
BENCHMARK(BM_ShadeThroughMaya);
BENCHMARK(BM_ShadeThroughMentalray);
BENCHMARK(BM_SpinControl)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(kAllCores)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureMaya)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(kAllCores)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureMentalray)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(kAllCores)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// "BM_PictureMaya/threads:1/process_time/real_time" and the like.
std::string picture(const char* host, int threads) {
  return std::string("BM_Picture") + host + "/threads:" + std::to_string(threads) +
         "/process_time/real_time";
}
std::string spin(int threads) {
  return "BM_SpinControl/threads:" + std::to_string(threads) + "/process_time/real_time";
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // A picture with one thread against one with all cores: the wall-time ratio
  // is the all-core speed-up of the samples per second; the CPU-time ratio of
  // all cores against one is the work each picture took on top.
  reporter.printRatios(
      {{"BM_TraceSample", "BM_ShadeSampleControl"},
       {"BM_ShadeThroughMaya", "BM_ShadeSampleControl"},
       {"BM_ShadeThroughMentalray", "BM_ShadeSampleControl"},
       {spin(1), spin(kAllCores)},
       {picture("Maya", 1), picture("Maya", kAllCores)},
       {picture("Mentalray", 1), picture("Mentalray", kAllCores)},
       {"cpu:" + picture("Maya", kAllCores), "cpu:" + picture("Maya", 1)},
       {"cpu:" + picture("Mentalray", kAllCores), "cpu:" + picture("Mentalray", 1)}});
  // On a shared machine the cores free at the moment bound any speed-up; the
  // share of the spinning control's speed-up that each host reached says how
  // well shading itself scales.
  const double spinSpeedUp = reporter.time(spin(1)) / reporter.time(spin(kAllCores));
  for (const char* host : {"Maya", "Mentalray"}) {
    const double t1 = reporter.time(picture(host, 1)), tn = reporter.time(picture(host, kAllCores));
    if (t1 > 0 && tn > 0 && spinSpeedUp > 0)
      std::printf(
          "%s all-core speed-up %.3f, the control's %.3f: %.0f%% of what the machine gave\n", host,
          t1 / tn, spinSpeedUp, 100.0 * (t1 / tn) / spinSpeedUp);
  }
  benchmark::Shutdown();
  return 0;
}
