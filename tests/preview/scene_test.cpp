#include "preview/scene.h"
#include "preview/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using preview::Camera;
using preview::Hit;
using preview::Light;
using preview::LightKind;
using preview::LightPreset;
using preview::Scene;
using preview::Sphere;
using preview::Vec3;

namespace {

Vec3 unit(double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  return Vec3{float(x / length), float(y / length), float(z / length)};
}

Sphere sphereAt(float x, float y, float z, float radius) {
  return Sphere{Vec3{x, y, z}, radius, preview::Material{0.0f, {0.5f, 0.5f, 0.5f}, 0.8f, 0.0f}};
}

TEST(Intersect, NearestSphereAlongTheEyeRay) {
  struct Case {
    const char* name;
    std::vector<Sphere> spheres;
    Vec3 direction;
    int sphere;  // -1: a miss
  };
  const std::vector<Case> cases = {
      {"straight ahead", {sphereAt(0, 0, -10, 1)}, Vec3{0, 0, -1}, 0},
      {"off centre but inside the silhouette", {sphereAt(0, 0, -10, 1)}, unit(0.05, -0.03, -1), 0},
      {"beside the silhouette", {sphereAt(0, 0, -10, 1)}, unit(0.2, 0.0, -1), -1},
      {"sphere behind the camera", {sphereAt(0, 0, 10, 1)}, Vec3{0, 0, -1}, -1},
      {"the nearer of two in line",
       {sphereAt(0, 0, -10, 1), sphereAt(0, 0, -5, 1)},
       Vec3{0, 0, -1},
       1},
      {"the second of a row",
       {sphereAt(-3, 0, -10, 1), sphereAt(3, 0, -10, 1)},
       unit(3, 0, -10),
       1},
  };
  for (const Case& c : cases) {
    Scene scene;
    scene.spheres = c.spheres;
    Hit hit{};
    const bool hits = preview::intersect(scene, c.direction, hit);
    ASSERT_EQ(hits, c.sphere >= 0) << c.name;
    if (!hits) continue;
    EXPECT_EQ(hit.sphere, c.sphere) << c.name;

    // The textbook quadratic in double precision: |t d - C|^2 = r^2, nearer root.
    const Sphere& s = c.spheres[static_cast<size_t>(c.sphere)];
    const double dx = c.direction.x, dy = c.direction.y, dz = c.direction.z;
    const double b = dx * s.center.x + dy * s.center.y + dz * s.center.z;
    const double cc = double(s.center.x) * s.center.x + double(s.center.y) * s.center.y +
                      double(s.center.z) * s.center.z - double(s.radius) * s.radius;
    const double t = b - std::sqrt(b * b - cc);
    const double p[3] = {t * dx, t * dy, t * dz};
    const double n[3] = {(p[0] - s.center.x) / s.radius, (p[1] - s.center.y) / s.radius,
                         (p[2] - s.center.z) / s.radius};
    EXPECT_NEAR(hit.point.x, p[0], 2e-5) << c.name;
    EXPECT_NEAR(hit.point.y, p[1], 2e-5) << c.name;
    EXPECT_NEAR(hit.point.z, p[2], 2e-5) << c.name;
    EXPECT_NEAR(hit.normal.x, n[0], 2e-5) << c.name;
    EXPECT_NEAR(hit.normal.y, n[1], 2e-5) << c.name;
    EXPECT_NEAR(hit.normal.z, n[2], 2e-5) << c.name;
    EXPECT_NEAR(std::sqrt(orennayar::dot(hit.normal, hit.normal)), 1.0, 1e-6) << c.name;
    EXPECT_EQ(hit.direction.x, c.direction.x) << c.name;
    EXPECT_EQ(hit.direction.z, c.direction.z) << c.name;
  }
}

TEST(Camera, RaysThroughKnownImagePositions) {
  const Camera camera{100, 50, 0.4f, 0.2f};
  struct Case {
    const char* name;
    float px, py;
    Vec3 expected;
  };
  const std::vector<Case> cases = {
      {"image centre looks down -z", 50.0f, 25.0f, Vec3{0, 0, -1}},
      {"top-left corner: left and up", 0.0f, 0.0f, unit(-0.4, 0.2, -1)},
      {"bottom-right corner: right and down", 100.0f, 50.0f, unit(0.4, -0.2, -1)},
      {"quarter across on the middle row", 25.0f, 25.0f, unit(-0.2, 0.0, -1)},
  };
  for (const Case& c : cases) {
    const Vec3 d = camera.rayDirection(c.px, c.py);
    EXPECT_NEAR(d.x, c.expected.x, 1e-6) << c.name;
    EXPECT_NEAR(d.y, c.expected.y, 1e-6) << c.name;
    EXPECT_NEAR(d.z, c.expected.z, 1e-6) << c.name;
  }
}

TEST(Scene, RowOfSpheresFitsTheFrameAtAnyAspect) {
  struct Case {
    const char* name;
    int width, height;
    std::vector<float> roughness;
  };
  const std::vector<Case> cases = {
      {"default row", 640, 160, {0.0f, 0.25f, 0.5f, 1.0f}},
      {"tiny test render", 48, 16, {0.0f, 0.25f, 0.5f, 1.0f}},
      {"one sphere in a wide frame", 200, 20, {0.5f}},
      {"many spheres in a tall frame", 64, 256, std::vector<float>(16, 0.5f)},
  };
  for (const Case& c : cases) {
    const Scene scene = preview::makeScene(c.width, c.height, c.roughness, {0.5f, 0.5f, 0.5f}, 0.8f,
                                           0.0f, LightPreset::Studio);
    ASSERT_EQ(scene.spheres.size(), c.roughness.size()) << c.name;
    const Camera& camera = scene.camera;
    // Square pixels.
    EXPECT_NEAR(camera.halfWidth / camera.halfHeight, double(c.width) / c.height, 1e-5) << c.name;
    for (size_t i = 0; i < scene.spheres.size(); ++i) {
      const Sphere& s = scene.spheres[i];
      EXPECT_EQ(s.material.roughness, c.roughness[i]) << c.name;
      // Where the centre projects, by similar triangles.
      const float px = (s.center.x / -s.center.z / camera.halfWidth + 1.0f) * 0.5f * c.width;
      const float py = (1.0f - s.center.y / -s.center.z / camera.halfHeight) * 0.5f * c.height;
      Hit hit{};
      const Vec3 d = camera.rayDirection(px, py);
      ASSERT_TRUE(preview::intersect(scene, d, hit)) << c.name << i;
      EXPECT_EQ(hit.sphere, static_cast<int>(i)) << c.name;
      // The ray through the centre meets the point nearest the camera, whose
      // normal points straight back along the ray.
      EXPECT_GT(-orennayar::dot(hit.normal, d), 0.9999f) << c.name << i;
    }
    // Nothing touches the border: the whole row is in view.
    int borderHits = 0;
    Hit hit{};
    for (int x = 0; x < c.width; ++x) {
      borderHits += preview::intersect(scene, camera.rayDirection(x + 0.5f, 0.5f), hit);
      borderHits += preview::intersect(scene, camera.rayDirection(x + 0.5f, c.height - 0.5f), hit);
    }
    for (int y = 0; y < c.height; ++y) {
      borderHits += preview::intersect(scene, camera.rayDirection(0.5f, y + 0.5f), hit);
      borderHits += preview::intersect(scene, camera.rayDirection(c.width - 0.5f, y + 0.5f), hit);
    }
    EXPECT_EQ(borderHits, 0) << c.name;
  }
}

TEST(Lights, SamplesPointTowardTheLight) {
  const Vec3 none{0, 0, 0};
  const Light point = mrhost::pointLight(miColor{1, 1, 1, 1}, miVector{0, 3, 4});
  // Its light travels along -(0.6, 0.8, 0), so it lies toward (0.6, 0.8, 0).
  const Light sun = mrhost::directionalLight(miColor{1, 1, 1, 1}, miVector{-0.6f, -0.8f, 0});
  // A 2 x 2 panel at z = 1 over the origin corner, sampled at its four cell centres.
  const Light panel = mrhost::rectangleLight(miColor{0.5f, 0.25f, 1, 1}, miVector{1, 1, 1},
                                             miVector{2, 0, 0}, miVector{0, 2, 0}, 2, 2);
  struct Case {
    const char* name;
    const Light& light;
    Vec3 point;
    int index;
    Vec3 expected;
  };
  const std::vector<Case> cases = {
      {"point light from the origin: (0,3,4)/5", point, Vec3{0, 0, 0}, 0, Vec3{0, 0.6f, 0.8f}},
      {"point light from elsewhere", point, Vec3{0, 3, 0}, 0, Vec3{0, 0, 1}},
      {"point light at the shaded point gives no direction", point, Vec3{0, 3, 4}, 0, none},
      {"directional light ignores the point", sun, Vec3{5, -7, 2}, 0, Vec3{0.6f, 0.8f, 0}},
      {"panel cell (0,0) centre straight above", panel, Vec3{0.5f, 0.5f, 0}, 0, Vec3{0, 0, 1}},
      {"panel cell (1,0) along +x", panel, Vec3{0.5f, 0.5f, 1}, 1, Vec3{1, 0, 0}},
      {"panel cell (0,1) along +y", panel, Vec3{0.5f, 0.5f, 1}, 2, Vec3{0, 1, 0}},
      {"panel cell (1,1) diagonal", panel, Vec3{0.5f, 0.5f, 0}, 3, unit(1, 1, 1)},
  };
  for (const Case& c : cases) {
    const preview::LightSample s = preview::sampleLight(c.light, c.point, c.index);
    EXPECT_NEAR(s.toLight.x, c.expected.x, 1e-6) << c.name;
    EXPECT_NEAR(s.toLight.y, c.expected.y, 1e-6) << c.name;
    EXPECT_NEAR(s.toLight.z, c.expected.z, 1e-6) << c.name;
    EXPECT_EQ(s.color.r, c.light.color.r) << c.name;
    EXPECT_EQ(s.color.b, c.light.color.b) << c.name;
  }
}

TEST(Lights, PresetsAreNamedAndHoldWhatTheirNamesSay) {
  struct Case {
    const char* name;
    size_t count;
    bool hasArea;
  };
  const std::vector<Case> cases = {
      {"key", 1, false}, {"side", 1, false}, {"studio", 2, false}, {"area", 3, true}};
  for (const Case& c : cases) {
    LightPreset preset;
    ASSERT_TRUE(preview::lightPresetFromName(c.name, preset)) << c.name;
    EXPECT_STREQ(preview::lightPresetName(preset), c.name);
    const std::vector<Light> lights = preview::presetLights(preset);
    ASSERT_EQ(lights.size(), c.count) << c.name;
    bool hasArea = false;
    for (const Light& light : lights) {
      if (light.kind == LightKind::Rectangle) {
        hasArea = true;
        EXPECT_EQ(preview::lightSampleCount(light), 16) << c.name << ": a 4 x 4 sample grid";
      } else {
        EXPECT_EQ(preview::lightSampleCount(light), 1) << c.name;
      }
    }
    EXPECT_EQ(hasArea, c.hasArea) << c.name;
  }
  LightPreset preset;
  EXPECT_FALSE(preview::lightPresetFromName("Key", preset));
  // The key light sits beside the camera, where the flattening shows best.
  const Light key = preview::presetLights(LightPreset::Key)[0];
  ASSERT_EQ(key.kind, LightKind::Point);
  const miVector& p = key.position;
  EXPECT_LT(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0f);
  EXPECT_LT(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0f);
}

}  // namespace
