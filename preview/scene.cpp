#include "preview/scene.h"

#include <algorithm>
#include <cmath>

namespace preview {

namespace {

Vec3 normalizedOrZero(const Vec3& v) {
  const float length = std::sqrt(orennayar::dot(v, v));
  if (!(length > 0.0f)) return Vec3{0.0f, 0.0f, 0.0f};
  return Vec3{v.x / length, v.y / length, v.z / length};
}

// The frame leaves room around the row as if each sphere were this many
// times its radius.
constexpr float kFramePadding = 1.3f;

}  // namespace

LightSample sampleLight(const Light& light, const Vec3& point, int index) {
  miColor color;
  miVector toLight;
  mrhost::lightSample(light, miVector{point.x, point.y, point.z}, index, &color, &toLight);
  return LightSample{Vec3{toLight.x, toLight.y, toLight.z}, Rgb{color.r, color.g, color.b}};
}

bool lightPresetFromName(const std::string& name, LightPreset& preset) {
  for (LightPreset p :
       {LightPreset::Key, LightPreset::Side, LightPreset::Studio, LightPreset::Area}) {
    if (name == lightPresetName(p)) {
      preset = p;
      return true;
    }
  }
  return false;
}

const char* lightPresetName(LightPreset preset) {
  switch (preset) {
    case LightPreset::Key:
      return "key";
    case LightPreset::Side:
      return "side";
    case LightPreset::Studio:
      return "studio";
    case LightPreset::Area:
      return "area";
  }
  return "?";
}

std::vector<Light> presetLights(LightPreset preset) {
  // Just above and left of the camera: lit nearly along the view, where a
  // rough surface looks flattest.
  const Light key =
      mrhost::pointLight(miColor{1.0f, 1.0f, 1.0f, 1.0f}, miVector{-1.0f, 1.5f, 0.0f});
  // From the right, a little above and in front: it rakes across the right
  // halves, where a rough surface departs most from Lambert.
  const Light side =
      mrhost::directionalLight(miColor{0.6f, 0.55f, 0.5f, 1.0f}, miVector{-0.8f, -0.36f, -0.48f});
  // A 6 x 4 panel above the row, facing down, sampled on a 4 x 4 grid.
  const Light area =
      mrhost::rectangleLight(miColor{0.5f, 0.5f, 0.55f, 1.0f}, miVector{0.0f, 6.0f, -9.0f},
                             miVector{6.0f, 0.0f, 0.0f}, miVector{0.0f, 0.0f, -4.0f}, 4, 4);
  switch (preset) {
    case LightPreset::Key:
      return {key};
    case LightPreset::Side:
      return {side};
    case LightPreset::Studio:
      return {key, side};
    case LightPreset::Area:
      return {key, side, area};
  }
  return {};
}

Vec3 Camera::rayDirection(float px, float py) const {
  const float x = (2.0f * px / static_cast<float>(width) - 1.0f) * halfWidth;
  const float y = (1.0f - 2.0f * py / static_cast<float>(height)) * halfHeight;
  return normalizedOrZero(Vec3{x, y, -1.0f});
}

Scene makeScene(int width, int height, const std::vector<float>& roughness, const Rgb& color,
                float diffuse, float translucence, LightPreset lights) {
  Scene scene;
  const int count = static_cast<int>(roughness.size());
  const float rowHalfWidth = 0.5f * static_cast<float>(count - 1) * kSphereSpacing;
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  // Bounds on the image plane at distance 1: the outermost sphere's padded
  // silhouette seen from the camera (perspective widens it beyond x / z) and,
  // vertically, the same for every sphere of the row.
  const float padded = kFramePadding * kSphereRadius;
  const float outerAngle = std::atan(rowHalfWidth / kSphereDistance) +
                           std::asin(padded / std::sqrt(rowHalfWidth * rowHalfWidth +
                                                        kSphereDistance * kSphereDistance));
  const float neededHalfWidth = std::tan(outerAngle);
  const float neededHalfHeight =
      padded / std::sqrt(kSphereDistance * kSphereDistance - padded * padded);
  const float halfWidth = std::max(neededHalfWidth, neededHalfHeight * aspect);
  scene.camera = Camera{width, height, halfWidth, halfWidth / aspect};
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(i) * kSphereSpacing - rowHalfWidth;
    scene.spheres.push_back(Sphere{Vec3{x, 0.0f, -kSphereDistance}, kSphereRadius,
                                   Material{roughness[i], color, diffuse, translucence}});
  }
  scene.lights = presetLights(lights);
  scene.background = Rgb{0.04f, 0.04f, 0.045f};
  return scene;
}

}  // namespace preview
