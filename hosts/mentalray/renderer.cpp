// The renderer functions a shader library binds by name. Everything they read
// was set up before rendering, in the scene of the caller's render thread;
// everything they write belongs to the caller's sample, so render threads
// share nothing mutable.
#include <shader.h>

#include <cstdint>
#include <cstring>

#include "hosts/mentalray/sceneStore.h"
#include "hosts/mentalray/shadingContext.h"

#ifdef _WIN32
#define MRHOST_RENDERER_EXPORT __declspec(dllexport)
#else
#define MRHOST_RENDERER_EXPORT __attribute__((visibility("default")))
#endif

namespace {

float dot(const miVector& a, const miVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void scribble(miState* state) {
  state->normal = miVector{-7.0f, 11.0f, 13.0f};
  state->point = miVector{101.0f, 103.0f, 107.0f};
  state->dir = miVector{0.5f, 0.25f, 0.125f};
}

}  // namespace

// A driven parameter's value is evaluated into the render thread's scratch at
// the parameter's own offset in the block: values of different parameters
// never share storage, and each render thread has its own scratch.
extern "C" MRHOST_RENDERER_EXPORT void* mi_phen_eval(miState* state, void* param) {
  using namespace mrhost;
  if (detail::callLogOn()) detail::logCall(RendererCall::PhenEval, state, param, 0, 0);
  const miFunction* function = state ? state->shader : nullptr;
  if (!function || function->ghost_offs == 0) return param;
  const std::intptr_t offset = reinterpret_cast<std::intptr_t>(param) -
                               reinterpret_cast<std::intptr_t>(function->parameters);
  if (offset < 0 || offset >= function->parameter_size) return param;

  miTag tag;
  std::memcpy(&tag, static_cast<const char*>(param) + function->ghost_offs, sizeof tag);
  const detail::Element* driver = detail::find(detail::sceneOf(state), tag);
  if (!driver || driver->kind != detail::ElementKind::Shader) return param;
  if (!state->ts || offset + driver->resultSize > kEvalScratchBytes) return param;

  void* value = state->ts->evalScratch + offset;
  driver->shader(value, state, driver->shaderParams);
  return value;
}

// Samples behind the surface are reported like any other: the shader decides.
extern "C" MRHOST_RENDERER_EXPORT miBoolean mi_sample_light(miColor* result, miVector* dir,
                                                            miScalar* dot_nl, miState* state,
                                                            miTag light_inst, miInteger* samples) {
  using namespace mrhost;
  if (detail::callLogOn())
    detail::logCall(RendererCall::SampleLight, state, nullptr, light_inst, *samples);
  const detail::Element* element = detail::find(detail::sceneOf(state), light_inst);
  if (!element || *samples < 0) return miFALSE;
  const int k = *samples;
  if (element->kind == detail::ElementKind::Light) {
    if (k >= lightSampleCount(element->light)) return miFALSE;
    lightSample(element->light, state->point, k, result, dir);
  } else if (element->kind == detail::ElementKind::ScriptedLight) {
    if (k >= element->scriptLength) return miFALSE;
    *result = element->script[k].color;
    *dir = element->script[k].dir;
  } else {
    return miFALSE;
  }
  *dot_nl = dot(state->normal, *dir);
  *samples = k + 1;
  if (detail::scribbling()) scribble(state);
  return miTRUE;
}

extern "C" MRHOST_RENDERER_EXPORT miBoolean mi_compute_irradiance(miColor* result, miState* state) {
  using namespace mrhost;
  if (detail::callLogOn()) detail::logCall(RendererCall::ComputeIrradiance, state, nullptr, 0, 0);
  const Scene& scene = detail::sceneOf(state);
  if (!scene.irradianceOn()) {
    *result = miColor{0.0f, 0.0f, 0.0f, 0.0f};
    return miFALSE;
  }
  *result = environmentIrradiance(scene.environment(), state->normal);
  if (detail::scribbling()) scribble(state);
  return miTRUE;
}
