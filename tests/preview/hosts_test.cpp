// Renders through the real host paths: the built plug-in files loaded by the
// stand-in hosts, checked against closed forms and against each other.
#include "preview/hosts.h"
#include "preview/render.h"

#include "referenceGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/besideExecutable.h"

using preview::Host;
using preview::LightPreset;
using preview::LinearImage;
using preview::Options;
using preview::Scene;
using previewtest::dot3;
using previewtest::Reference;
using previewtest::referenceHit;

namespace {

struct HostCase {
  const char* name;
  Host host;
};
const HostCase kHosts[] = {{"maya", Host::Maya}, {"mentalray", Host::Mentalray}};

Options optionsFor(Host host) {
  Options o;
  o.host = host;
  o.mayaPlugin = testsupport::besideExecutable(MATTORA_PLUGIN_PATH);
  o.mentalrayLibrary = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
  return o;
}

LinearImage renderThrough(const Options& options, const Scene& scene, int spp = 1,
                          int threads = 2) {
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
  std::string error;
  EXPECT_TRUE(preview::makeBackends(options, backends, error)) << error;
  LinearImage image;
  if (backends.size() != 1) {
    ADD_FAILURE() << backends.size() << " backends for one host";
    return image;
  }
  if (!backends[0]->prepare(scene, error)) {
    ADD_FAILURE() << backends[0]->name() << ": " << error;
    return image;
  }
  const preview::RenderStats stats =
      preview::renderImage(scene, *backends[0], preview::RenderSettings{spp, threads}, image);
  EXPECT_EQ(stats.nonFiniteSamples, 0) << backends[0]->name();
  EXPECT_GT(stats.shadedSamples, 0) << backends[0]->name();
  return image;
}

Scene tinyScene(const std::vector<float>& roughness, const preview::Rgb& color, float diffuse,
                LightPreset lights) {
  return preview::makeScene(48, 16, roughness, color, diffuse, 0.0f, lights);
}

// Calls check(pixel, reference) for every pixel whose centre ray hits a sphere
// clear of its silhouette, and expects a few such pixels on every sphere.
template <typename Check>
void forEachSpherePixel(const Scene& scene, const LinearImage& image, const char* what,
                        Check check) {
  ASSERT_EQ(image.width, scene.camera.width) << what;
  std::vector<int> checked(scene.spheres.size(), 0);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Reference r = referenceHit(scene, x, y);
      if (!r.hit || r.nearSilhouette) continue;
      check(image.pixel(x, y), r);
      ++checked[static_cast<size_t>(r.sphere)];
    }
  }
  for (size_t i = 0; i < checked.size(); ++i) EXPECT_GE(checked[i], 4) << what << ", sphere " << i;
}

// With the light at the camera, L = V at every point: the azimuth term is 1
// and theta_i = theta_r = t, so f = cos t (A + B sin t tan t) = A cos t + B sin^2 t.
TEST(HostPaths, SpheresLitFromTheCameraMatchTheClosedForm) {
  constexpr float kGrey = 0.5f, kDiffuse = 0.8f;
  for (const HostCase& h : kHosts) {
    Scene scene =
        tinyScene({0.0f, 0.25f, 0.5f, 1.0f}, {kGrey, kGrey, kGrey}, kDiffuse, LightPreset::Key);
    scene.lights = {mrhost::pointLight(miColor{1, 1, 1, 1}, miVector{0, 0, 0})};
    const LinearImage image = renderThrough(optionsFor(h.host), scene);
    forEachSpherePixel(scene, image, h.name, [&](const float* pixel, const Reference& r) {
      const float sigma = scene.spheres[static_cast<size_t>(r.sphere)].material.roughness;
      const double cosT = dot3(r.normal, r.view);
      const double expected =
          kGrey * kDiffuse *
          (previewtest::modelA(sigma) * cosT + previewtest::modelB(sigma) * (1.0 - cosT * cosT));
      for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(pixel[k], expected, 2e-5) << h.name << ", sphere " << r.sphere;
    });
  }
}

// Roughness 0 is Lambert: colour x diffuse x max(0, N . L), channel by channel.
TEST(HostPaths, RoughnessZeroUnderTheKeyLightIsLambert) {
  const preview::Rgb color{0.9f, 0.6f, 0.3f};
  constexpr float kDiffuse = 0.7f;
  for (const HostCase& h : kHosts) {
    const Scene scene = tinyScene({0.0f, 0.0f, 0.0f}, color, kDiffuse, LightPreset::Key);
    const miVector key = scene.lights[0].position;
    const LinearImage image = renderThrough(optionsFor(h.host), scene);
    forEachSpherePixel(scene, image, h.name, [&](const float* pixel, const Reference& r) {
      double toLight[3] = {key.x - r.point[0], key.y - r.point[1], key.z - r.point[2]};
      const double length = std::sqrt(dot3(toLight, toLight));
      for (double& v : toLight) v /= length;
      const double lambert = kDiffuse * std::max(0.0, dot3(r.normal, toLight));
      const double expected[3] = {color.r * lambert, color.g * lambert, color.b * lambert};
      for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(pixel[k], expected[k], 2e-5) << h.name << ", channel " << k;
    });
  }
}

// Maya gets each sample of a light as an element of its own at colour /
// samples; mental ray averages the samples the renderer reports. Both must
// shade the same picture.
TEST(HostPaths, BothHostsAgreeUnderEveryLightPreset) {
  for (const LightPreset preset :
       {LightPreset::Key, LightPreset::Side, LightPreset::Studio, LightPreset::Area}) {
    const Options defaults;
    const Scene scene = preview::makeScene(96, 24, defaults.roughness, defaults.color,
                                           defaults.diffuse, defaults.translucence, preset);
    const LinearImage maya = renderThrough(optionsFor(Host::Maya), scene, 2);
    const LinearImage mentalray = renderThrough(optionsFor(Host::Mentalray), scene, 2);
    ASSERT_EQ(maya.rgb.size(), mentalray.rgb.size());
    double largest = 0.0, brightest = 0.0;
    for (size_t i = 0; i < maya.rgb.size(); ++i) {
      largest = std::max(largest, std::fabs(double(maya.rgb[i]) - mentalray.rgb[i]));
      brightest = std::max(brightest, double(maya.rgb[i]));
    }
    EXPECT_LE(largest, 1e-5) << preview::lightPresetName(preset);
    EXPECT_GT(brightest, 0.1) << preview::lightPresetName(preset) << ": nothing was lit";
  }
}

// --irradiance adds the sky's irradiance E tinted by the surface colour, over
// pi: colour x (base + (2/3) gradient (n . up)) for the sky around the
// preview, base (0.06, 0.07, 0.09), gradient (0.04, 0.05, 0.07), up +y.
TEST(HostPaths, IrradianceAddsTheSkyTerm) {
  const preview::Rgb color{0.8f, 0.5f, 0.25f};
  const Scene scene = tinyScene({0.0f, 1.0f}, color, 0.8f, LightPreset::Studio);
  Options lit = optionsFor(Host::Mentalray);
  const LinearImage plain = renderThrough(lit, scene);
  lit.irradiance = true;
  const LinearImage withSky = renderThrough(lit, scene);
  const double base[3] = {0.06, 0.07, 0.09}, gradient[3] = {0.04, 0.05, 0.07};
  const double surface[3] = {color.r, color.g, color.b};
  forEachSpherePixel(scene, withSky, "irradiance", [&](const float* pixel, const Reference& r) {
    const size_t at = static_cast<size_t>(pixel - withSky.rgb.data());
    for (int k = 0; k < 3; ++k) {
      const double expected = surface[k] * (base[k] + 2.0 / 3.0 * gradient[k] * r.normal[1]);
      ASSERT_NEAR(double(pixel[k]) - plain.rgb[at + static_cast<size_t>(k)], expected, 1e-5)
          << "channel " << k;
    }
  });
}

// --texture drives the colour by a checker of the colour and a quarter of it:
// every pixel is one or the other of the untextured shade.
TEST(HostPaths, TextureDrivesTheColourByAChecker) {
  const Scene scene = tinyScene({0.0f, 0.5f}, {0.5f, 0.5f, 0.5f}, 0.8f, LightPreset::Studio);
  Options options = optionsFor(Host::Mentalray);
  const LinearImage plain = renderThrough(options, scene);
  options.texture = true;
  const LinearImage textured = renderThrough(options, scene);
  int light = 0, dark = 0;
  forEachSpherePixel(scene, textured, "texture", [&](const float* pixel, const Reference&) {
    const float untextured = plain.rgb[static_cast<size_t>(pixel - textured.rgb.data())];
    if (std::fabs(pixel[0] - untextured) <= 1e-6f)
      ++light;
    else if (std::fabs(pixel[0] - 0.25f * untextured) <= 1e-6f)
      ++dark;
    else
      ADD_FAILURE() << pixel[0] << " is neither " << untextured << " nor a quarter of it";
  });
  EXPECT_GT(light, 0);
  EXPECT_GT(dark, 0);
}

TEST(HostPaths, MissingPluginFilesAreOneLineErrors) {
  struct Case {
    const char* name;
    Options options;
    const char* mentions;
  };
  Options maya = optionsFor(Host::Maya), mentalray = optionsFor(Host::Mentalray);
  maya.mayaPlugin = "no/such/mattora.so";
  mentalray.mentalrayLibrary = "no/such/vela_mattora.so";
  Options swapped = optionsFor(Host::Maya);
  swapped.mayaPlugin = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
  const std::vector<Case> cases = {
      {"missing Maya plug-in", maya, "\"no/such/mattora.so\": no such file"},
      {"missing shader library", mentalray, "\"no/such/vela_mattora.so\": no such file"},
      {"shader library given as the Maya plug-in", swapped, "not a Maya plug-in"},
  };
  const Scene scene = tinyScene({0.5f}, {0.5f, 0.5f, 0.5f}, 0.8f, LightPreset::Key);
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
    std::string error;
    ASSERT_TRUE(preview::makeBackends(c.options, backends, error)) << c.name;
    ASSERT_EQ(backends.size(), 1u) << c.name;
    EXPECT_FALSE(backends[0]->prepare(scene, error)) << c.name;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": " << error;
  }
}

}  // namespace
