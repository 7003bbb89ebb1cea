// The preview scene: a pinhole camera at the origin looking down -z (so
// everything below is in camera space, the space Maya hands normals in), a
// row of spheres, a plain background and a light preset.
#pragma once

#include "core/orenNayar.h"

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

enum class LightKind { Point, Directional, Rect };

// Plain data, read by both host adapters so that both hosts see the same
// lights. Each light is one or more samples of equal colour; a host that
// averages the samples of a light (mental ray) and one that receives every
// sample as a light of its own at colour / samples (Maya) then agree.
struct Light {
  LightKind kind;
  Vec3 position;   // Point: the light; Rect: one corner
  Vec3 direction;  // Directional: unit vector toward the light
  Vec3 edgeU;      // Rect: the two edges from the corner
  Vec3 edgeV;
  Rgb color;
  int samples;  // Rect: a square number, sampled on a regular grid; otherwise 1
};

struct LightSample {
  Vec3 toLight;  // unit direction from the shaded point toward the sample
  Rgb color;
};

// Sample `index` (0 <= index < light.samples) of `light` seen from `point`.
// A point that coincides with the sample gets a zero direction, which every
// shader treats as a light on the horizon.
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
