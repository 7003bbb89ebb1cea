// What the shader library's binding to the renderer adds to a renderer call.
// The binding is compiled in on its own, as the library compiles it, and is
// handed the stand-in renderer's module; a resolved stub is set against a
// call of the same renderer function through its address, and the first call
// after miSetModuleHandle (the lookup by name) is measured on its own.
#include <shader.h>

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "mentalray/hostBinding.h"
#include "ratioReporter.h"

namespace {

using SampleLight = miBoolean (*)(miColor*, miVector*, miScalar*, miState*, miTag, miInteger*);

// A point light above a shading point: each call takes one real sample.
struct LightCall {
  mrhost::ShadingContext context;
  miTag light = 0;
  miColor color{};
  miVector dir{};
  miScalar dotNL = 0.0f;

  LightCall() {
    mrhost::clearScene();
    light = mrhost::addLight(mrhost::pointLight({1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 2.0f, 3.0f}));
    context.prepare({0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f},
                    nullptr);
  }
};

// One renderer call, kept out of line so an instruction profile can count
// its calls and its cost.
[[gnu::noinline]] miBoolean callThrough(LightCall& call, SampleLight function) {
  miInteger samples = 0;
  return function(&call.color, &call.dir, &call.dotNL, &call.context.state(), call.light, &samples);
}

// The renderer function as the binding would find it.
SampleLight rendererSampleLight() {
  return reinterpret_cast<SampleLight>(dlsym(mrhost::rendererModule(), "mi_sample_light"));
}

void BM_directCall(benchmark::State& state) {
  LightCall call;
  SampleLight function = rendererSampleLight();
  for (auto _ : state) {
    benchmark::DoNotOptimize(function);  // an address known only at run time, as in a stub
    benchmark::DoNotOptimize(callThrough(call, function));
  }
}

void BM_resolvedStub(benchmark::State& state) {
  LightCall call;
  miSetModuleHandle(mrhost::rendererModule());
  callThrough(call, &mi_sample_light);  // resolves the slot
  for (auto _ : state) benchmark::DoNotOptimize(callThrough(call, &mi_sample_light));
}

// Every call finds the table just emptied, so it looks the name up first.
void BM_firstCall(benchmark::State& state) {
  LightCall call;
  void* module = mrhost::rendererModule();
  for (auto _ : state) {
    miSetModuleHandle(module);
    benchmark::DoNotOptimize(callThrough(call, &mi_sample_light));
  }
}

// What emptying the table costs by itself, to take out of the first call.
void BM_setModuleHandle(benchmark::State& state) {
  void* module = mrhost::rendererModule();
  for (auto _ : state) benchmark::DoNotOptimize(miSetModuleHandle(module));
}

BENCHMARK(BM_directCall);
BENCHMARK(BM_resolvedStub);
BENCHMARK(BM_firstCall);
BENCHMARK(BM_setModuleHandle);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_resolvedStub", "BM_directCall"},
                               {"BM_firstCall", "BM_resolvedStub"},
                               {"BM_firstCall", "BM_setModuleHandle"}});
}
