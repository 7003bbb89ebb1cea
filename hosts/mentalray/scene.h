// The stand-in renderer's scenes: lights, shaders that drive parameters of
// other shaders, and the irradiance environment, each known by its tag.
//
// Set a scene up before rendering with it: registering is not synchronised
// with render threads, while everything the renderer functions read during
// rendering is only read.
#pragma once

#include <shader.h>

#include <cstddef>
#include <memory>

namespace mrhost {

enum class LightKind { Point, Directional, Rectangle };

// Lights shine equally in every direction and have no falloff: each sample
// carries the light's colour unchanged.
struct Light {
  LightKind kind = LightKind::Point;
  miColor color{1.0f, 1.0f, 1.0f, 1.0f};
  miVector position{0.0f, 0.0f, 0.0f};    // point light; centre of a rectangle
  miVector direction{0.0f, 0.0f, -1.0f};  // directional light: the way its light travels
  miVector edgeU{1.0f, 0.0f, 0.0f};       // rectangle: its two full edges
  miVector edgeV{0.0f, 1.0f, 0.0f};
  int samplesU = 1, samplesV = 1;  // rectangle: a grid of samplesU x samplesV cell centres
};

Light pointLight(const miColor& color, const miVector& position);
Light directionalLight(const miColor& color, const miVector& direction);
Light rectangleLight(const miColor& color, const miVector& centre, const miVector& edgeU,
                     const miVector& edgeV, int samplesU, int samplesV);

// What mi_sample_light reports for a light at a shading point: the number of
// samples, and for sample k its colour and the unit direction from the point
// toward it (the zero vector when the point lies on the light's position).
int lightSampleCount(const Light& light);
void lightSample(const Light& light, const miVector& point, int k, miColor* color,
                 miVector* toLight);

// A sky whose radiance along a unit direction w is base + gradient * (w . up),
// seen unoccluded from every point. Its irradiance across a surface with unit
// normal n is pi * base + (2 pi / 3) * gradient * (n . up).
struct Environment {
  miColor base{0.0f, 0.0f, 0.0f, 1.0f};
  miColor gradient{0.0f, 0.0f, 0.0f, 0.0f};
  miVector up{0.0f, 0.0f, 1.0f};
};
miColor environmentIrradiance(const Environment& environment, const miVector& normal);

// A shader another shader's parameter can be driven by: it writes its result
// (resultSize bytes) for the state's sample.
using ShaderFunction = miBoolean (*)(void* result, miState* state, const void* params);

constexpr int kMaxShaderParamBytes = 64;

// Tags count from 1; a scene holds up to kMaxTags elements.
constexpr int kMaxTags = 1024;

namespace detail {
struct SceneStore;
}

// One render's scene: lights, driving shaders and the sky, each known by a
// tag of this scene. The renderer functions read the scene of the render
// thread's ShadingContext, so renders of different scenes run at once and
// share nothing writable. Set a scene up before rendering with it.
class Scene {
 public:
  Scene();
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  miTag addLight(const Light& light);
  miTag addShader(ShaderFunction function, const void* params, int paramBytes, int resultSize);
  // A colour checker in space: colour a where floor(x/size) + floor(y/size) +
  // floor(z/size) of the hit point is even, b where it is odd.
  miTag addChecker(const miColor& a, const miColor& b, float size);

  // nullptr for a tag that is not a light.
  const Light* findLight(miTag tag) const;

  // Irradiance is off (mi_compute_irradiance gives black) until switched on.
  void setEnvironment(const Environment& environment, bool irradianceOn);
  const Environment& environment() const;
  bool irradianceOn() const;

  // Forgets every element; their tags become unknown.
  void clear();

 private:
  friend struct detail::SceneStore;
  std::unique_ptr<detail::SceneStore> store_;
};

// The process's own scene: the one the functions below set up, and the one
// a ShadingContext made without a scene reads.
Scene& defaultScene();

miTag addLight(const Light& light);
miTag addShader(ShaderFunction function, const void* params, int paramBytes, int resultSize);
miTag addChecker(const miColor& a, const miColor& b, float size);
const Light* findLight(miTag tag);
void setEnvironment(const Environment& environment, bool irradianceOn);
const Environment& environment();
bool irradianceOn();
void clearScene();

}  // namespace mrhost
