// The renderer's lights and sky as a host sees them directly and as
// mi_sample_light and mi_compute_irradiance report them.
#include <shader.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shadingContext.h"

namespace {

struct Expected {
  float r, g, b;
  double x, y, z;  // unnormalised direction toward the sample
};

void expectDirection(const miVector& actual, double x, double y, double z, const char* what) {
  const double length = std::sqrt(x * x + y * y + z * z);
  EXPECT_NEAR(actual.x, x / length, 1e-6) << what;
  EXPECT_NEAR(actual.y, y / length, 1e-6) << what;
  EXPECT_NEAR(actual.z, z / length, 1e-6) << what;
}

TEST(Scene, LightsReportTheirSamplesAlikeDirectlyAndThroughTheRenderer) {
  struct Case {
    const char* what;
    mrhost::Light light;
    std::vector<Expected> samples;  // seen from the point (1, 0, 0)
  };
  const miColor warm{1.0f, 0.5f, 0.25f, 1.0f};
  const Case cases[] = {
      {"point light: toward its position",
       mrhost::pointLight(warm, {1.0f, 3.0f, 4.0f}),
       {{1.0f, 0.5f, 0.25f, 0.0, 3.0, 4.0}}},
      {"directional light: against its direction, wherever the point",
       mrhost::directionalLight(warm, {0.0f, 0.0f, -2.0f}),
       {{1.0f, 0.5f, 0.25f, 0.0, 0.0, 1.0}}},
      {"rectangle: cell centres of a 2 x 2 grid, row by row",
       mrhost::rectangleLight(warm, {1.0f, 0.0f, 2.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 4.0f, 0.0f}, 2,
                              2),
       {{1.0f, 0.5f, 0.25f, -0.5, -1.0, 2.0},
        {1.0f, 0.5f, 0.25f, 0.5, -1.0, 2.0},
        {1.0f, 0.5f, 0.25f, -0.5, 1.0, 2.0},
        {1.0f, 0.5f, 0.25f, 0.5, 1.0, 2.0}}},
  };
  for (const Case& c : cases) {
    mrhost::clearScene();
    const miTag tag = mrhost::addLight(c.light);
    ASSERT_EQ(mrhost::lightSampleCount(c.light), static_cast<int>(c.samples.size())) << c.what;

    mrhost::ShadingContext context;
    miState& state = context.prepare({1.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -1.0f}, {1.0f, 0.0f, 0.0f},
                                     {0.0f, 0.0f, 1.0f}, nullptr);
    miInteger counter = 0;
    for (std::size_t k = 0; k < c.samples.size(); ++k) {
      const Expected& e = c.samples[k];
      miColor direct, reported;
      miVector directDir, reportedDir;
      miScalar dotNL = -1.0f;
      mrhost::lightSample(c.light, state.point, static_cast<int>(k), &direct, &directDir);
      ASSERT_EQ(mi_sample_light(&reported, &reportedDir, &dotNL, &state, tag, &counter), miTRUE);
      EXPECT_EQ(counter, static_cast<miInteger>(k + 1)) << c.what;
      expectDirection(directDir, e.x, e.y, e.z, c.what);
      EXPECT_EQ(std::memcmp(&directDir, &reportedDir, sizeof directDir), 0) << c.what;
      EXPECT_EQ(direct.r, e.r);
      EXPECT_EQ(reported.g, e.g);
      EXPECT_EQ(reported.b, e.b);
      EXPECT_NEAR(dotNL, e.z / std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z), 1e-6) << c.what;
    }
    miColor color;
    miVector dir;
    miScalar dotNL;
    EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, tag, &counter), miFALSE) << c.what;
    EXPECT_EQ(counter, static_cast<miInteger>(c.samples.size())) << c.what;
  }
}

TEST(Scene, UnknownTagsAndDegenerateGeometryAreDefined) {
  mrhost::clearScene();
  mrhost::ShadingContext context;
  miState& state = context.prepare({0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -1.0f}, {1.0f, 2.0f, 3.0f},
                                   {0.0f, 0.0f, 1.0f}, nullptr);
  miColor color;
  miVector dir;
  miScalar dotNL;
  miInteger counter = 0;
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, 0, &counter), miFALSE) << "null tag";
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, 77, &counter), miFALSE) << "unknown";
  const miTag onPoint = mrhost::addLight(mrhost::pointLight({1, 1, 1, 1}, {1.0f, 2.0f, 3.0f}));
  ASSERT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, onPoint, &counter), miTRUE);
  EXPECT_EQ(dir.x, 0.0f);
  EXPECT_EQ(dir.y, 0.0f);
  EXPECT_EQ(dir.z, 0.0f) << "a point on the light sees no direction, not a NaN";
  counter = -1;
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, onPoint, &counter), miFALSE)
      << "negative counter";
  EXPECT_THROW(mrhost::rectangleLight({1, 1, 1, 1}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 2),
               std::exception);
}

TEST(Scene, SkyIrradianceHasItsClosedForm) {
  const double pi = 3.14159265358979323846;
  mrhost::clearScene();
  mrhost::ShadingContext context;
  miState& state = context.prepare({0.0f, 0.0f, 5.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 0.0f},
                                   {0.0f, 0.0f, 1.0f}, nullptr);
  miColor irradiance{9.0f, 9.0f, 9.0f, 9.0f};
  EXPECT_EQ(mi_compute_irradiance(&irradiance, &state), miFALSE) << "switched off";
  EXPECT_EQ(irradiance.r + irradiance.g + irradiance.b, 0.0f);

  mrhost::setEnvironment({{1.0f, 0.5f, 0.0f, 1.0f}, {0.0f, 0.3f, 1.0f, 0.0f}, {0, 0, 1}}, true);
  struct Case {
    const char* what;
    miVector normal;
    double cosUp;
  };
  const Case cases[] = {{"facing up", {0, 0, 1}, 1.0},
                        {"sideways", {1, 0, 0}, 0.0},
                        {"facing down", {0, 0, -1}, -1.0},
                        {"tilted", {0.0f, 0.6f, 0.8f}, 0.8}};
  for (const Case& c : cases) {
    state.normal = c.normal;
    ASSERT_EQ(mi_compute_irradiance(&irradiance, &state), miTRUE);
    EXPECT_NEAR(irradiance.r, pi * 1.0, 1e-5) << c.what;
    EXPECT_NEAR(irradiance.g, pi * 0.5 + 2 * pi / 3 * 0.3 * c.cosUp, 1e-5) << c.what;
    EXPECT_NEAR(irradiance.b, 2 * pi / 3 * c.cosUp, 1e-5) << c.what;
  }
}

// Renders of different scenes run at once: a tag means what the scene of the
// state's render thread holds under it, and the process's own scene is left
// alone.
TEST(Scene, EachRenderThreadReadsTheSceneItsContextNames) {
  mrhost::clearScene();
  mrhost::Scene lit, sky;
  const miTag key = lit.addLight(mrhost::directionalLight({0.25f, 0.5f, 1.0f, 1.0f}, {0, 0, -1}));
  const miTag checker = sky.addChecker({1, 1, 1, 1}, {0, 0, 0, 1}, 1.0f);
  ASSERT_EQ(key, checker) << "each scene counts its own tags";
  sky.setEnvironment({{1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}, {0, 0, 1}}, true);

  mrhost::ShadingContext inLit(0, &lit), inSky(1, &sky), inDefault(2);
  miColor color;
  miVector dir;
  miScalar dotNL;
  miInteger counter = 0;
  miState& litState = inLit.prepare({0, 0, 5}, {0, 0, -1}, {0.5f, 0.5f, 0.5f}, {0, 0, 1}, nullptr);
  ASSERT_EQ(mi_sample_light(&color, &dir, &dotNL, &litState, key, &counter), miTRUE);
  EXPECT_EQ(color.b, 1.0f);
  EXPECT_EQ(mi_compute_irradiance(&color, &litState), miFALSE) << "the sky is another scene's";
  counter = 0;
  miState& skyState = inSky.prepare({0, 0, 5}, {0, 0, -1}, {0.5f, 0.5f, 0.5f}, {0, 0, 1}, nullptr);
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &skyState, checker, &counter), miFALSE)
      << "the tag names a shader here, not a light";
  EXPECT_EQ(mi_compute_irradiance(&color, &skyState), miTRUE);
  counter = 0;
  miState& defaultState =
      inDefault.prepare({0, 0, 5}, {0, 0, -1}, {0.5f, 0.5f, 0.5f}, {0, 0, 1}, nullptr);
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &defaultState, key, &counter), miFALSE);
  EXPECT_EQ(mrhost::findLight(key), nullptr);
}

}  // namespace
