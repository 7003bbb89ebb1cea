// The control of the deliverables' benchmarks: a diffuse model with the
// interface of orennayar::OrenNayar that weighs a light by its Lambert cosine
// alone. The twins of the node and of the shader are their own sources
// compiled with this model in place of Oren-Nayar, so a twin does everything
// its deliverable does on the host's path except the rough-diffuse term.
#pragma once

#include "core/orenNayar.h"

namespace lamberttwin {

class Lambert {
 public:
  Lambert(const orennayar::Vec3& N, const orennayar::Vec3& /*V*/, float /*sigma*/) : N_(N) {}

  float factor(const orennayar::Vec3& L) const {
    const float cosThetaI = orennayar::dot(N_, L);
    return cosThetaI > 0.0f ? cosThetaI : 0.0f;
  }

  orennayar::Rgb color(const orennayar::Vec3& L, const orennayar::Rgb& light,
                       const orennayar::Rgb& surface, float weight) const {
    const float k = factor(L) * weight;
    return orennayar::Rgb{light.r * k * surface.r, light.g * k * surface.g,
                          light.b * k * surface.b};
  }

 private:
  orennayar::Vec3 N_;
};

}  // namespace lamberttwin

#define MATTORA_DIFFUSE_MODEL lamberttwin::Lambert
