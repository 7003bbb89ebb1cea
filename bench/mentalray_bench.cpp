// Cost of one vela_mattora call through the stand-in renderer's loader, as the
// renderer pays it per sample: parameter evaluation, state copy, binding stubs,
// the renderer's light sampling and the reflectance colour of every sample.
// The control is the shader's Lambert twin, the same source built with a
// Lambert cosine in place of the Oren-Nayar factor, loaded the same way; the
// irradiance term is set against the same call without it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "ratioReporter.h"
#include "support/besideExecutable.h"

namespace {

enum class Lights { OnePoint, FourPoint, Area16 };

constexpr std::size_t kSamples = 1024;  // a power of two, so the index wraps with a mask

struct Sample {
  miVector point, normal;
};

// Points on a gently curved patch around the origin, seen from above.
const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> out;
    for (std::size_t i = 0; i < kSamples; ++i) {
      const float t = 0.013f * float(i);
      const float x = 0.4f * std::sin(t), y = 0.4f * std::cos(3 * t);
      const float len = std::sqrt(x * x + y * y + 1.0f);
      out.push_back({{x, y, 0.0f}, {x / len, y / len, 1.0f / len}});
    }
    return out;
  }();
  return all;
}

const mrhost::ShaderDecl& declaration() {
  static const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  return mrhost::findDeclaration(decls, "vela_mattora");
}

// One loaded library with one parameter block and one render thread's state.
struct Shading {
  mrhost::ShaderLibrary library;
  mrhost::ShaderInstance instance{declaration()};
  mrhost::ShadingContext context;

  Shading(const char* relativePath, Lights lights, bool irradiance)
      : library(testsupport::besideExecutable(relativePath), declaration()) {
    mrhost::clearScene();
    const miColor white{1.0f, 1.0f, 1.0f, 1.0f};
    std::vector<miTag> tags;
    switch (lights) {
      case Lights::OnePoint:
        tags.push_back(mrhost::addLight(mrhost::pointLight(white, {1.0f, 2.0f, 3.0f})));
        break;
      case Lights::FourPoint:
        for (int i = 0; i < 4; ++i)
          tags.push_back(mrhost::addLight(
              mrhost::pointLight(white, {1.0f + float(i), 2.0f - float(i), 3.0f})));
        break;
      case Lights::Area16:
        tags.push_back(mrhost::addLight(mrhost::rectangleLight(
            white, {0.0f, 1.0f, 4.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}, 4, 4)));
        break;
    }
    instance.setLights("light", tags);
    if (irradiance) {
      instance.setBoolean("irradiance", true);
      instance.setColor("irradianceColor", {1.0f, 1.0f, 1.0f, 1.0f});
      mrhost::setEnvironment({{0.2f, 0.2f, 0.2f, 1.0f}, {0.1f, 0.1f, 0.1f, 0.0f}, {0, 0, 1}}, true);
    }
    context.prepare({0.3f, 0.2f, 5.0f}, {-0.06f, -0.04f, -0.997f}, {0.0f, 0.0f, 0.0f},
                    {0.0f, 0.0f, 1.0f}, instance.function());
  }
};

// One shading sample as the renderer hands it to the shader. Kept out of line
// so an instruction profile can count its calls and its cost.
[[gnu::noinline]] miColor shadeOnce(Shading& s, const Sample& sample) {
  miState& state = s.context.state();
  state.point = sample.point;
  state.normal = sample.normal;
  miColor result{0.0f, 0.0f, 0.0f, 0.0f};
  s.library.shade(&result, &state, s.instance.parameters());
  return result;
}

void run(benchmark::State& state, const char* relativePath, Lights lights, bool irradiance) {
  try {
    Shading s(relativePath, lights, irradiance);
    const auto& all = samples();
    std::size_t i = 0;
    for (auto _ : state) {
      const miColor result = shadeOnce(s, all[i++ & (kSamples - 1)]);
      benchmark::DoNotOptimize(result);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void BM_vela_mattora_1point(benchmark::State& st) {
  run(st, VELA_MATTORA_LIBRARY, Lights::OnePoint, false);
}
void BM_vela_mattora_4point(benchmark::State& st) {
  run(st, VELA_MATTORA_LIBRARY, Lights::FourPoint, false);
}
void BM_vela_mattora_area16(benchmark::State& st) {
  run(st, VELA_MATTORA_LIBRARY, Lights::Area16, false);
}
void BM_vela_mattora_1point_irradiance(benchmark::State& st) {
  run(st, VELA_MATTORA_LIBRARY, Lights::OnePoint, true);
}
void BM_lambertTwin_1point(benchmark::State& st) {
  run(st, LAMBERT_TWIN_LIBRARY, Lights::OnePoint, false);
}
void BM_lambertTwin_4point(benchmark::State& st) {
  run(st, LAMBERT_TWIN_LIBRARY, Lights::FourPoint, false);
}
void BM_lambertTwin_area16(benchmark::State& st) {
  run(st, LAMBERT_TWIN_LIBRARY, Lights::Area16, false);
}

BENCHMARK(BM_vela_mattora_1point);
BENCHMARK(BM_lambertTwin_1point);
BENCHMARK(BM_vela_mattora_4point);
BENCHMARK(BM_lambertTwin_4point);
BENCHMARK(BM_vela_mattora_area16);
BENCHMARK(BM_lambertTwin_area16);
BENCHMARK(BM_vela_mattora_1point_irradiance);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_vela_mattora_1point", "BM_lambertTwin_1point"},
                               {"BM_vela_mattora_4point", "BM_lambertTwin_4point"},
                               {"BM_vela_mattora_area16", "BM_lambertTwin_area16"},
                               {"BM_vela_mattora_1point_irradiance", "BM_vela_mattora_1point"}});
}
