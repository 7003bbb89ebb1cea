// A shading backend for the renderer's own tests: the reflectance term of
// core/ evaluated directly, each light's samples averaged, no host involved.
#pragma once

#include "core/orenNayar.h"
#include "preview/backend.h"

#include <memory>
#include <string>

namespace previewtest {

class DirectShader : public preview::ThreadShader {
 public:
  explicit DirectShader(const preview::Scene& scene) : scene_(scene) {}

  preview::Rgb shade(const preview::Hit& hit) override {
    const preview::Material& m = scene_.spheres[static_cast<size_t>(hit.sphere)].material;
    const orennayar::Vec3 V{-hit.direction.x, -hit.direction.y, -hit.direction.z};
    preview::Rgb sum{0.0f, 0.0f, 0.0f};
    for (const preview::Light& light : scene_.lights) {
      preview::Rgb lightSum{0.0f, 0.0f, 0.0f};
      const int samples = preview::lightSampleCount(light);
      for (int s = 0; s < samples; ++s) {
        const preview::LightSample sample = preview::sampleLight(light, hit.point, s);
        const preview::Rgb c = orennayar::reflectanceColor(
            V, hit.normal, sample.toLight, sample.color, m.color, m.roughness, m.diffuse);
        lightSum = preview::Rgb{lightSum.r + c.r, lightSum.g + c.g, lightSum.b + c.b};
      }
      const float n = static_cast<float>(samples);
      sum = preview::Rgb{sum.r + lightSum.r / n, sum.g + lightSum.g / n, sum.b + lightSum.b / n};
    }
    return sum;
  }

 private:
  const preview::Scene& scene_;
};

class DirectBackend : public preview::ShadingBackend {
 public:
  const char* name() const override { return "direct"; }
  bool prepare(const preview::Scene& scene, std::string&) override {
    scene_ = &scene;
    return true;
  }
  std::unique_ptr<preview::ThreadShader> forThread() override {
    return std::make_unique<DirectShader>(*scene_);
  }

 private:
  const preview::Scene* scene_ = nullptr;
};

}  // namespace previewtest
