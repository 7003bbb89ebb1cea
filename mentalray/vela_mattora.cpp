// vela_mattora: Oren-Nayar rough-diffuse surface shader for mental ray. Every
// light of the shader's light list is sampled through the renderer and each
// light's average is added to the result, then ambient, incandescence and,
// when switched on, the renderer's irradiance tinted by the surface colour.
#include <shader.h>

#include <cmath>
#include <cstring>

#include "core/orenNayar.h"
#include "velaExport.h"

// The benchmarks build a twin of this shader with a plain Lambert model here.
#ifdef MATTORA_DIFFUSE_MODEL_HEADER
#include MATTORA_DIFFUSE_MODEL_HEADER
#endif
#ifndef MATTORA_DIFFUSE_MODEL
#define MATTORA_DIFFUSE_MODEL orennayar::OrenNayar
#endif

struct vela_mattora_params {
  miColor color;
  miColor ambientColor;
  miColor incandescence;
  miVector normalOffset;
  miScalar diffuse;
  miScalar roughness;
  miBoolean irradiance;
  miColor irradianceColor;
  miInteger i_light;
  miInteger n_light;
  miTag light[1];
};

namespace {

// The single-precision pi, not the double one: irradiance is divided by this.
constexpr miScalar kPi = 3.1415927f;

orennayar::Vec3 vec3(const miVector& v) { return orennayar::Vec3{v.x, v.y, v.z}; }

}  // namespace

extern "C" VELA_EXPORT int vela_mattora_version(void) { return 1; }

extern "C" VELA_EXPORT miBoolean vela_mattora(miColor* result, miState* state,
                                              struct vela_mattora_params* params) {
  // Each value is copied out at once: a later driven parameter may reuse the
  // renderer's storage for its own value.
  const miColor color = *mi_eval_color(&params->color);
  const miColor ambientColor = *mi_eval_color(&params->ambientColor);
  const miColor incandescence = *mi_eval_color(&params->incandescence);
  const miScalar roughness = *mi_eval_scalar(&params->roughness);
  const miVector normalOffset = *mi_eval_vector(&params->normalOffset);
  const miBoolean irradiance = *mi_eval_boolean(&params->irradiance);
  const miScalar diffuse = *mi_eval_scalar(&params->diffuse);
  const miInteger nLight = *mi_eval_integer(&params->n_light);
  const miInteger iLight = *mi_eval_integer(&params->i_light);
  const miTag* lights = mi_eval_tag(&params->light) + iLight;

  bool irradianceOn = false;
  miColor irradianceColor = {0.0f, 0.0f, 0.0f, 0.0f};
  if (irradiance) {
    irradianceColor = *mi_eval_color(&params->irradianceColor);
    // A NaN tint compares unequal and keeps the term on.
    irradianceOn =
        !(irradianceColor.r == 0.0f && irradianceColor.g == 0.0f && irradianceColor.b == 0.0f);
  }

  miVector normal = {state->normal.x + normalOffset.x, state->normal.y + normalOffset.y,
                     state->normal.z + normalOffset.z};
  const miScalar length =
      std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
  // An offset that cancels the normal leaves the zero vector: every light then
  // falls on the horizon and adds black.
  if (length != 0.0f) {
    const miScalar inverse = 1.0f / length;
    normal.x *= inverse;
    normal.y *= inverse;
    normal.z *= inverse;
  }

  miState shadingState = *state;
  shadingState.normal = normal;

  const orennayar::Vec3 V{-state->dir.x, -state->dir.y, -state->dir.z};
  const orennayar::Rgb surface{color.r, color.g, color.b};
  MATTORA_DIFFUSE_MODEL model(vec3(normal), V, roughness);
  miVector modelNormal = normal;

  for (miInteger i = 0; i < nLight; ++i) {
    miInteger samples = 0;
    miScalar sumR = 0.0f, sumG = 0.0f, sumB = 0.0f;
    // Defined even if the renderer reports a sample without filling it.
    miColor lightColor = {0.0f, 0.0f, 0.0f, 0.0f};
    miVector L = {0.0f, 0.0f, 0.0f};
    miScalar dotNL = 0.0f;
    while (mi_sample_light(&lightColor, &L, &dotNL, &shadingState, lights[i], &samples)) {
      // The renderer owns the copy it is given; should it move the normal, the
      // samples after that are shaded with the normal it left.
      if (std::memcmp(&shadingState.normal, &modelNormal, sizeof modelNormal) != 0) {
        modelNormal = shadingState.normal;
        model = MATTORA_DIFFUSE_MODEL(vec3(modelNormal), V, roughness);
      }
      const orennayar::Rgb sample = model.color(
          vec3(L), orennayar::Rgb{lightColor.r, lightColor.g, lightColor.b}, surface, diffuse);
      sumR += sample.r;
      sumG += sample.g;
      sumB += sample.b;
    }
    if (samples > 0) {
      const miScalar n = static_cast<miScalar>(samples);
      result->r += sumR / n;
      result->g += sumG / n;
      result->b += sumB / n;
    }
  }

  result->r += ambientColor.r * color.r;
  result->g += ambientColor.g * color.g;
  result->b += ambientColor.b * color.b;
  result->r += incandescence.r;
  result->g += incandescence.g;
  result->b += incandescence.b;
  result->a = 1.0f;

  if (irradianceOn) {
    // Black unless the renderer writes a value.
    miColor indirect = {0.0f, 0.0f, 0.0f, 0.0f};
    mi_compute_irradiance(&indirect, &shadingState);
    result->r += indirect.r * color.r * irradianceColor.r / kPi;
    result->g += indirect.g * color.g * irradianceColor.g / kPi;
    result->b += indirect.b * color.b * irradianceColor.b / kPi;
    result->a = 1.0f;
  }
  return miTRUE;
}
