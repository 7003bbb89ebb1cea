#include "preview/render.h"

#include "referenceGeometry.h"
#include "testBackend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using preview::Camera;
using preview::LightPreset;
using preview::LinearImage;
using preview::RenderSettings;
using preview::RenderStats;
using preview::Scene;
using preview::Sphere;
using preview::Vec3;

namespace {

using previewtest::dot3;
using previewtest::modelA;
using previewtest::modelB;
using previewtest::Reference;
using previewtest::referenceHit;

constexpr float kGrey = 0.5f;
constexpr float kDiffuse = 0.8f;

Scene rowScene(LightPreset preset) {
  return preview::makeScene(48, 16, {0.0f, 0.25f, 0.5f, 1.0f}, {kGrey, kGrey, kGrey}, kDiffuse,
                            0.0f, preset);
}

LinearImage render(const Scene& scene, int spp, int threads, RenderStats* stats = nullptr) {
  previewtest::DirectBackend backend;
  std::string error;
  EXPECT_TRUE(backend.prepare(scene, error));
  LinearImage image;
  const RenderStats s = preview::renderImage(scene, backend, RenderSettings{spp, threads}, image);
  if (stats) *stats = s;
  return image;
}

// With the light at the camera, L = V at every point, so the azimuth term is
// 1 and theta_i = theta_r: f = cos t (A + B sin t tan t) = A cos t + B sin^2 t.
TEST(Render, SpheresLitFromTheCameraMatchTheClosedForm) {
  Scene scene = rowScene(LightPreset::Key);
  scene.lights = {mrhost::pointLight(miColor{1, 1, 1, 1}, miVector{0, 0, 0})};
  const LinearImage image = render(scene, 1, 3);

  std::vector<int> checked(scene.spheres.size(), 0);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Reference r = referenceHit(scene, x, y);
      if (r.nearSilhouette) continue;
      const float* pixel = image.pixel(x, y);
      if (!r.hit) {
        EXPECT_EQ(pixel[0], scene.background.r) << x << "," << y;
        continue;
      }
      const float sigma = scene.spheres[static_cast<size_t>(r.sphere)].material.roughness;
      const double cosT = dot3(r.normal, r.view);
      const double sin2T = 1.0 - cosT * cosT;
      const double expected = kGrey * kDiffuse * (modelA(sigma) * cosT + modelB(sigma) * sin2T);
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(pixel[k], expected, 2e-5)
            << "sphere " << r.sphere << " (roughness " << sigma << ") pixel " << x << "," << y;
      ++checked[static_cast<size_t>(r.sphere)];
    }
  }
  for (size_t i = 0; i < checked.size(); ++i) EXPECT_GE(checked[i], 4) << "sphere " << i;
}

TEST(Render, CentrePixelsUnderTheKeyLightAtRoughnessZeroAreLambert) {
  Scene scene = preview::makeScene(48, 16, {0.0f, 0.0f, 0.0f, 0.0f}, {kGrey, kGrey, kGrey},
                                   kDiffuse, 0.0f, LightPreset::Key);
  const LinearImage image = render(scene, 1, 2);
  const miVector key = scene.lights[0].position;
  for (size_t i = 0; i < scene.spheres.size(); ++i) {
    const Sphere& s = scene.spheres[i];
    const Camera& c = scene.camera;
    const int x =
        static_cast<int>((s.center.x / -s.center.z / c.halfWidth + 1.0f) * 0.5f * c.width);
    for (int y : {c.height / 2 - 1, c.height / 2}) {
      const Reference r = referenceHit(scene, x, y);
      ASSERT_TRUE(r.hit && r.sphere == static_cast<int>(i)) << "sphere " << i;
      double toLight[3] = {key.x - r.point[0], key.y - r.point[1], key.z - r.point[2]};
      const double length = std::sqrt(dot3(toLight, toLight));
      for (double& v : toLight) v /= length;
      const double expected = kGrey * kDiffuse * std::max(0.0, dot3(r.normal, toLight));
      EXPECT_NEAR(image.pixel(x, y)[1], expected, 1e-5) << "sphere " << i << " row " << y;
    }
  }
}

TEST(Render, ThreadCountDoesNotChangeASingleBit) {
  const Scene scene = rowScene(LightPreset::Area);
  const LinearImage one = render(scene, 4, 1);
  for (int threads : {2, 5}) {
    const LinearImage many = render(scene, 4, threads);
    EXPECT_EQ(one.rgb, many.rgb) << threads << " threads";
  }
}

TEST(Render, CountsSamplesAndFlagsNonFiniteShades) {
  const Scene scene = rowScene(LightPreset::Studio);
  RenderStats stats;
  render(scene, 4, 2, &stats);
  EXPECT_EQ(stats.cameraSamples, 48LL * 16 * 4);
  EXPECT_GT(stats.shadedSamples, stats.cameraSamples / 10);
  EXPECT_LT(stats.shadedSamples, stats.cameraSamples);
  EXPECT_EQ(stats.nonFiniteSamples, 0);

  struct NanShader : preview::ThreadShader {
    preview::Rgb shade(const preview::Hit&) override {
      return {0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f};
    }
  };
  struct NanBackend : preview::ShadingBackend {
    const char* name() const override { return "nan"; }
    bool prepare(const Scene&, std::string&) override { return true; }
    std::unique_ptr<preview::ThreadShader> forThread() override {
      return std::make_unique<NanShader>();
    }
  } nanBackend;
  LinearImage image;
  const RenderStats bad = preview::renderImage(scene, nanBackend, RenderSettings{2, 2}, image);
  EXPECT_EQ(bad.nonFiniteSamples, bad.shadedSamples);
  EXPECT_GT(bad.nonFiniteSamples, 0);
}

TEST(Render, BackgroundPixelsAverageToTheBackground) {
  const Scene scene = rowScene(LightPreset::Studio);
  const LinearImage image = render(scene, 7, 2);
  const float* corner = image.pixel(0, 0);
  EXPECT_FLOAT_EQ(corner[0], scene.background.r);
  EXPECT_FLOAT_EQ(corner[2], scene.background.b);
}

TEST(SamplePositions, OneAtTheCentreMoreStratified) {
  float sx, sy;
  preview::samplePosition(0, 1, sx, sy);
  EXPECT_EQ(sx, 0.5f);
  EXPECT_EQ(sy, 0.5f);
  for (int count : {2, 4, 8, 16}) {
    std::vector<int> columns(count, 0), rows(count, 0);
    for (int i = 0; i < count; ++i) {
      preview::samplePosition(i, count, sx, sy);
      ASSERT_TRUE(sx >= 0.0f && sx < 1.0f && sy >= 0.0f && sy < 1.0f) << count << ":" << i;
      ++columns[static_cast<size_t>(sx * count)];
      ++rows[static_cast<size_t>(sy * count)];
    }
    for (int k = 0; k < count; ++k) {
      EXPECT_EQ(columns[k], 1) << count << " samples, column strip " << k;
      EXPECT_EQ(rows[k], 1) << count << " samples, row strip " << k;
    }
  }
}

}  // namespace
