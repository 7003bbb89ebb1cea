// The preview scene: a pinhole camera at the origin looking down -z (so
// everything below is in camera space, the space Maya hands normals in), a
// row of spheres, a plain background and a light preset.
#pragma once

#include "core/orenNayar.h"
#include "hosts/mentalray/scene.h"

#include <string>
#include <vector>

namespace preview {

using orennayar::Rgb;
using orennayar::Vec3;

struct Material {
  float roughness;
  Rgb color;
  float diffuse;
  float translucence;
};

struct Sphere {
  Vec3 center;
  float radius;
  Material material;
};

// The lights are the stand-in mental ray renderer's own, so that both host
// paths see exactly the samples its mi_sample_light reports: the mental ray
// shader averages the samples of each light, and the Maya path hands the node
// every sample as a light of its own at colour / samples.
using Light = mrhost::Light;
using LightKind = mrhost::LightKind;

struct LightSample {
  Vec3 toLight;  // unit direction from the shaded point toward the sample
  Rgb color;
};

using mrhost::lightSampleCount;

// Sample `index` (0 <= index < lightSampleCount(light)) of `light` seen from
// `point`. A point that coincides with the sample gets a zero direction,
// which every shader treats as a light on the horizon.
LightSample sampleLight(const Light& light, const Vec3& point, int index);

enum class LightPreset { Key, Side, Studio, Area };

// "key", "side", "studio", "area"; false for any other name.
bool lightPresetFromName(const std::string& name, LightPreset& preset);
const char* lightPresetName(LightPreset preset);
std::vector<Light> presetLights(LightPreset preset);

struct Camera {
  int width, height;
  // Half extents of the image plane at distance 1 in front of the camera.
  float halfWidth, halfHeight;

  // Unit eye-ray direction through image position (px, py), in pixels from
  // the top-left corner.
  Vec3 rayDirection(float px, float py) const;
};

struct Scene {
  Camera camera;
  std::vector<Sphere> spheres;
  std::vector<Light> lights;
  Rgb background;
};

// Spheres of radius kSphereRadius side by side along x at a fixed distance, one per
// roughness, framed so the whole row fits a width x height image.
Scene makeScene(int width, int height, const std::vector<float>& roughness, const Rgb& color,
                float diffuse, float translucence, LightPreset lights);

// Where the row's spheres sit, in camera space.
inline constexpr float kSphereDistance = 10.0f;
inline constexpr float kSphereSpacing = 2.5f;
inline constexpr float kSphereRadius = 1.0f;

}  // namespace preview
