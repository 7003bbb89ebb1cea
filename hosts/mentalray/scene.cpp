#include "hosts/mentalray/scene.h"

#include <cmath>
#include <cstring>

#include "hosts/mentalray/error.h"
#include "hosts/mentalray/sceneStore.h"
#include "hosts/mentalray/shadingContext.h"

namespace mrhost {
namespace {

miVector add(const miVector& a, const miVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
miVector scaled(const miVector& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
float dot(const miVector& a, const miVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

miVector normalized(const miVector& v) {
  const float length = std::sqrt(dot(v, v));
  return length > 0.0f ? scaled(v, 1.0f / length) : miVector{0.0f, 0.0f, 0.0f};
}

miBoolean checker(void* result, miState* state, const void* params) {
  struct Params {
    miColor a, b;
    float size;
  };
  Params p;
  std::memcpy(&p, params, sizeof p);
  const miVector& x = state->point;
  const double cell =
      std::floor(x.x / p.size) + std::floor(x.y / p.size) + std::floor(x.z / p.size);
  const miColor& chosen = std::fmod(std::fabs(cell), 2.0) == 0.0 ? p.a : p.b;
  std::memcpy(result, &chosen, sizeof chosen);
  return miTRUE;
}

}  // namespace

namespace detail {

const Element* find(const Scene& scene, miTag tag) {
  const std::vector<Element>& elements = SceneStore::of(scene).elements;
  if (tag == 0 || tag > elements.size()) return nullptr;
  return &elements[tag - 1];
}

miTag add(Scene& scene, const Element& element) {
  std::vector<Element>& elements = SceneStore::of(scene).elements;
  if (elements.size() >= static_cast<std::size_t>(kMaxTags))
    throw Error("scene is full: at most " + std::to_string(kMaxTags) + " tags");
  elements.push_back(element);
  return static_cast<miTag>(elements.size());
}

const Scene& sceneOf(const miState* state) {
  return state && state->ts && state->ts->scene ? *state->ts->scene : defaultScene();
}

}  // namespace detail

Light pointLight(const miColor& color, const miVector& position) {
  Light light;
  light.kind = LightKind::Point;
  light.color = color;
  light.position = position;
  return light;
}

Light directionalLight(const miColor& color, const miVector& direction) {
  Light light;
  light.kind = LightKind::Directional;
  light.color = color;
  light.direction = direction;
  return light;
}

Light rectangleLight(const miColor& color, const miVector& centre, const miVector& edgeU,
                     const miVector& edgeV, int samplesU, int samplesV) {
  if (samplesU < 1 || samplesV < 1) throw Error("a rectangle light needs at least one sample");
  Light light;
  light.kind = LightKind::Rectangle;
  light.color = color;
  light.position = centre;
  light.edgeU = edgeU;
  light.edgeV = edgeV;
  light.samplesU = samplesU;
  light.samplesV = samplesV;
  return light;
}

int lightSampleCount(const Light& light) {
  return light.kind == LightKind::Rectangle ? light.samplesU * light.samplesV : 1;
}

void lightSample(const Light& light, const miVector& point, int k, miColor* color,
                 miVector* toLight) {
  *color = light.color;
  switch (light.kind) {
    case LightKind::Point:
      *toLight = normalized(add(light.position, scaled(point, -1.0f)));
      break;
    case LightKind::Directional:
      *toLight = normalized(scaled(light.direction, -1.0f));
      break;
    case LightKind::Rectangle: {
      const float u = (static_cast<float>(k % light.samplesU) + 0.5f) / light.samplesU - 0.5f;
      const float v = (static_cast<float>(k / light.samplesU) + 0.5f) / light.samplesV - 0.5f;
      const miVector onLight =
          add(light.position, add(scaled(light.edgeU, u), scaled(light.edgeV, v)));
      *toLight = normalized(add(onLight, scaled(point, -1.0f)));
      break;
    }
  }
}

miColor environmentIrradiance(const Environment& environment, const miVector& normal) {
  constexpr float kPi = 3.14159265f;
  const float cosUp = dot(normal, environment.up);
  const auto channel = [&](float base, float gradient) {
    return kPi * base + (2.0f * kPi / 3.0f) * gradient * cosUp;
  };
  return {channel(environment.base.r, environment.gradient.r),
          channel(environment.base.g, environment.gradient.g),
          channel(environment.base.b, environment.gradient.b), 1.0f};
}

Scene::Scene() : store_(std::make_unique<detail::SceneStore>()) {}
Scene::~Scene() = default;

miTag Scene::addLight(const Light& light) {
  detail::Element element;
  element.kind = detail::ElementKind::Light;
  element.light = light;
  return detail::add(*this, element);
}

miTag Scene::addShader(ShaderFunction function, const void* params, int paramBytes,
                       int resultSize) {
  if (!function || paramBytes < 0 || paramBytes > kMaxShaderParamBytes || resultSize <= 0)
    throw Error("addShader: needs a function, at most " + std::to_string(kMaxShaderParamBytes) +
                " parameter bytes and a result size");
  detail::Element element;
  element.kind = detail::ElementKind::Shader;
  element.shader = function;
  element.resultSize = resultSize;
  if (paramBytes > 0)
    std::memcpy(element.shaderParams, params, static_cast<std::size_t>(paramBytes));
  return detail::add(*this, element);
}

miTag Scene::addChecker(const miColor& a, const miColor& b, float size) {
  if (!(size > 0.0f)) throw Error("a checker needs a positive cell size");
  struct {
    miColor a, b;
    float size;
  } params{a, b, size};
  return addShader(checker, &params, sizeof params, sizeof(miColor));
}

const Light* Scene::findLight(miTag tag) const {
  const detail::Element* element = detail::find(*this, tag);
  return element && element->kind == detail::ElementKind::Light ? &element->light : nullptr;
}

void Scene::setEnvironment(const Environment& environment, bool on) {
  store_->sky = environment;
  store_->irradianceOn = on;
}

const Environment& Scene::environment() const { return store_->sky; }
bool Scene::irradianceOn() const { return store_->irradianceOn; }

void Scene::clear() {
  store_->elements.clear();
  store_->sky = Environment{};
  store_->irradianceOn = false;
}

Scene& defaultScene() {
  static Scene scene;
  return scene;
}

miTag addLight(const Light& light) { return defaultScene().addLight(light); }
miTag addShader(ShaderFunction function, const void* params, int paramBytes, int resultSize) {
  return defaultScene().addShader(function, params, paramBytes, resultSize);
}
miTag addChecker(const miColor& a, const miColor& b, float size) {
  return defaultScene().addChecker(a, b, size);
}
const Light* findLight(miTag tag) { return defaultScene().findLight(tag); }
void setEnvironment(const Environment& environment, bool on) {
  defaultScene().setEnvironment(environment, on);
}
const Environment& environment() { return defaultScene().environment(); }
bool irradianceOn() { return defaultScene().irradianceOn(); }
void clearScene() { defaultScene().clear(); }

}  // namespace mrhost
