// Cost of one vela_mattora shader call through the stand-in renderer's loader
// (parameter evaluation, state copy, binding stubs, one light sample) against
// a control that computes the same reflectance colour in-process.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/orenNayar.h"
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "ratioReporter.h"

namespace {

struct Scene {
  std::vector<mrhost::ShaderDecl> decls = mrhost::readDeclarationFile(VELA_MATTORA_DECLARATION);
  const mrhost::ShaderDecl& decl = mrhost::findDeclaration(decls, "vela_mattora");
  mrhost::ShaderLibrary library{VELA_MATTORA_LIBRARY, decl};
  mrhost::ShaderInstance instance{decl};
  mrhost::ShadingContext context;

  explicit Scene(int lights) {
    std::vector<miTag> tags;
    for (int i = 0; i < lights; ++i)
      tags.push_back(
          mrhost::addLight(mrhost::pointLight({1.0f, 1.0f, 1.0f, 1.0f}, {1.0f + i, 2.0f, 3.0f})));
    instance.setLights("light", tags);
    context.prepare({0.3f, 0.2f, 5.0f}, {-0.06f, -0.04f, -0.997f}, {0.0f, 0.0f, 0.0f},
                    {0.0f, 0.0f, 1.0f}, instance.function());
  }
};

void BM_shaderCall_1light(benchmark::State& state) {
  mrhost::clearScene();
  Scene scene(1);
  for (auto _ : state) {
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    scene.library.shade(&result, &scene.context.state(), scene.instance.parameters());
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_shaderCall_1light);

void BM_shaderCall_4lights(benchmark::State& state) {
  mrhost::clearScene();
  Scene scene(4);
  for (auto _ : state) {
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    scene.library.shade(&result, &scene.context.state(), scene.instance.parameters());
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_shaderCall_4lights);

// Control: the one reflectance colour the single-light call computes.
void BM_control_reflectanceColor(benchmark::State& state) {
  orennayar::Vec3 N{0.0f, 0.0f, 1.0f}, V{0.06f, 0.04f, 0.997f}, L{0.267f, 0.534f, 0.802f};
  const orennayar::Rgb light{1.0f, 1.0f, 1.0f}, surface{0.5f, 0.5f, 0.5f};
  for (auto _ : state) {
    benchmark::DoNotOptimize(N);
    benchmark::DoNotOptimize(L);
    const orennayar::Rgb c = orennayar::reflectanceColor(V, N, L, light, surface, 0.5f, 0.8f);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_control_reflectanceColor);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_shaderCall_1light", "BM_control_reflectanceColor"},
                               {"BM_shaderCall_4lights", "BM_control_reflectanceColor"}});
}
