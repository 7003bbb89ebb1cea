#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mayahost/host.h"
#include "mayahost/testSwitches.h"
#include "pluginFixture.h"
#include "shadingReference.h"

namespace {

using mattoratest::D3;
using mattoratest::Light;
using mattoratest::Material;
using mattoratest::referenceColor;

class Evaluation : public mattoratest::LoadedPlugin {
 protected:
  void setVector(mayahost::DataBlock& b, const char* name, const D3& v, unsigned element = 0) {
    ASSERT_TRUE(b.setVector(attr(name), float(v[0]), float(v[1]), float(v[2]), element)) << name;
  }

  // Fills a fresh block with the material, the geometry and the lights.
  mayahost::DataBlock& prepare(const Material& m, const D3& normal, const D3& ray,
                               const std::vector<Light>& lights) {
    mayahost::DataBlock& b = newBlock();
    setVector(b, "color", m.color);
    setVector(b, "transparency", m.transparency);
    setVector(b, "ambientColor", m.ambientColor);
    setVector(b, "incandescence", m.incandescence);
    b.setFloat(attr("diffuse"), float(m.diffuse));
    b.setFloat(attr("translucence"), float(m.translucence));
    b.setFloat(attr("roughness"), float(m.roughness));
    setVector(b, "normalCamera", normal);
    setVector(b, "rayDirection", ray);
    b.setElementCount(attr("lightDataArray"), unsigned(lights.size()));
    for (unsigned e = 0; e < lights.size(); ++e) {
      setVector(b, "lightDirection", lights[e].direction, e);
      setVector(b, "lightIntensity", lights[e].intensity, e);
      b.setBool(attr("lightAmbient"), lights[e].ambient, e);
      b.setBool(attr("lightDiffuse"), lights[e].diffuse, e);
    }
    return b;
  }

  void expectColor(mayahost::DataBlock& b, const D3& expected, const std::string& what) {
    const auto out = b.getVector(attr("outColor"));
    const float got[3] = {out.x, out.y, out.z};
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(got[i], expected[i], 2e-6 + 2e-6 * std::fabs(expected[i]))
          << what << ", component " << i;
  }
};

const D3 kNormal{0.2, 0.3, 1.0};
const D3 kRay{-0.3, 0.1, -1.0};

TEST_F(Evaluation, OutColorFollowsTheDefinitionForVariedLights) {
  struct Case {
    std::string what;
    Material material;
    std::vector<Light> lights;
  };
  Material rough;
  rough.color = {0.9, 0.6, 0.3};
  rough.ambientColor = {0.1, 0.2, 0.3};
  rough.incandescence = {0.05, 0.0, 0.02};
  rough.translucence = 0.25;
  rough.roughness = 0.7;
  Material seeThrough = rough;
  seeThrough.transparency = {1.5, 0.0, 0.25};
  Material opaque = rough;
  opaque.transparency = {1, 1, 1};
  Material redless = rough;
  redless.transparency = {1, 0, 0};
  Material veryRough = rough;
  veryRough.roughness = 1.9;

  const Light key{{1, 1, 2}, {1.0, 0.9, 0.8}, false, true};
  const Light fill{{-2, 0.5, 1}, {0.3, 0.3, 0.4}, false, true};
  const Light ambient{{0, 0, 1}, {0.2, 0.2, 0.2}, true, false};
  const Light both{{0.3, -1, 0.8}, {0.5, 0.7, 0.2}, true, true};
  const Light neither{{0.4, 0.4, 1}, {0.6, 0.1, 0.9}, false, false};
  const Light below{{0.5, 0.2, -1}, {2.0, 2.0, 2.0}, true, true};
  const Light grazing{{1, 0, 0}, {1, 1, 1}, false, true};
  const Light bright{{0, 0.2, 1}, {40, 25, 10}, true, true};

  const std::vector<Case> cases = {
      {"one diffuse light", rough, {key}},
      {"diffuse lights from two sides", rough, {key, fill}},
      {"mixed ambient and diffuse flags", rough, {key, ambient, both, neither}},
      {"a light with neither flag adds translucence only", rough, {neither}},
      {"light below the horizon adds ambient and translucence only", rough, {below}},
      {"horizontal light direction gets no diffuse part", rough, {grazing, key}},
      {"transparency above 1 turns red negative", seeThrough, {key, both}},
      {"full transparency gives black", opaque, {key, both, ambient}},
      {"transparency (1,0,0) zeroes only red", redless, {key, both}},
      {"bright light stays unclamped", rough, {bright}},
      {"large roughness", veryRough, {key, fill, both}},
      {"no lights", rough, {}},
  };
  for (const Case& c : cases) {
    mayahost::DataBlock& b = prepare(c.material, kNormal, kRay, c.lights);
    ASSERT_EQ(b.request(attr("outColor")), mayahost::Status::kSuccess) << c.what;
    expectColor(b, referenceColor(c.material, kNormal, kRay, c.lights), c.what);
  }
}

TEST_F(Evaluation, ClosedFormsOfSpecialCases) {
  struct Case {
    std::string what;
    Material material;
    std::vector<Light> lights;
    D3 expected;
  };
  Material lambert;
  lambert.color = {0.8, 0.4, 0.2};
  lambert.roughness = 0;
  lambert.diffuse = 0.5;
  Material glowing = lambert;
  glowing.ambientColor = {0.5, 1.0, 2.0};
  glowing.incandescence = {0.1, 0.2, 0.3};
  glowing.transparency = {0.5, 0.0, 2.0};
  const double cos60 = 0.5;  // light at 60 degrees from a +z normal
  const Light tilted{{std::sqrt(3.0), 0, 1}, {1, 2, 4}, false, true};
  const std::vector<Case> cases = {
      {"roughness 0 is Lambert: color x LI x diffuse x cos",
       lambert,
       {tilted},
       {0.8 * 1 * 0.5 * cos60, 0.4 * 2 * 0.5 * cos60, 0.2 * 4 * 0.5 * cos60}},
      {"empty list: (color x ambient + incandescence)(1 - T)",
       glowing,
       {},
       {(0.8 * 0.5 + 0.1) * 0.5, (0.4 * 1.0 + 0.2) * 1.0, (0.2 * 2.0 + 0.3) * -1.0}},
  };
  for (const Case& c : cases) {
    mayahost::DataBlock& b = prepare(c.material, {0, 0, 1}, {0.3, 0.2, -1}, c.lights);
    ASSERT_EQ(b.request(attr("outColor")), mayahost::Status::kSuccess) << c.what;
    expectColor(b, c.expected, c.what);
  }
}

TEST_F(Evaluation, ElementCountDecidesHowManyLightsAreVisited) {
  Material m;
  m.translucence = 0.5;
  const std::vector<Light> three = {{{1, 0, 1}, {1, 0.5, 0.25}, true, true},
                                    {{0, 1, 1}, {0.25, 1, 0.5}, false, true},
                                    {{-1, 0, 1}, {0.5, 0.25, 1}, true, false}};
  struct Case {
    std::string what;
    long reported;
    std::vector<Light> visited;
  };
  const std::vector<Case> cases = {
      {"count larger than the elements: the loop ends when next fails", 7, three},
      {"count smaller than the elements: only the first are visited", 1, {three[0]}},
      {"count zero: no light at all", 0, {}},
      {"true count", -1, three},
  };
  for (const Case& c : cases) {
    mayahost::DataBlock& b = prepare(m, kNormal, kRay, three);
    mayahost::testing::setReportedElementCount(b, attr("lightDataArray"), c.reported);
    ASSERT_EQ(b.request(attr("outColor")), mayahost::Status::kSuccess) << c.what;
    expectColor(b, referenceColor(m, kNormal, kRay, c.visited), c.what);
  }
}

TEST_F(Evaluation, EachOutputPlugWritesItsWholeCompoundAndMarksItClean) {
  Material m;
  m.transparency = {0.25, 0.5, 0.75};
  const std::vector<Light> lights = {{{1, 1, 2}, {1, 1, 1}, true, true}};
  const D3 color = referenceColor(m, kNormal, kRay, lights);
  struct Family {
    std::string compound, other;
    D3 expected;
  };
  const std::vector<Family> families = {{"outColor", "outTransparency", color},
                                        {"outTransparency", "outColor", m.transparency}};
  for (const Family& f : families) {
    for (const char* suffix : {"", "R", "G", "B"}) {
      const std::string plug = f.compound + suffix;
      SCOPED_TRACE(plug);
      mayahost::DataBlock& b = prepare(m, kNormal, kRay, lights);
      ASSERT_TRUE(b.setVector(attr(f.compound), -9, -9, -9));
      ASSERT_TRUE(b.setVector(attr(f.other), -7, -7, -7));
      ASSERT_EQ(b.request(attr(plug)), mayahost::Status::kSuccess);
      const auto out = b.getVector(attr(f.compound));
      const double got[3] = {out.x, out.y, out.z};
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], f.expected[i], 2e-6) << i;
      for (const char* child : {"", "R", "G", "B"})
        EXPECT_FALSE(b.isDirty(attr(f.compound + child))) << child;
      EXPECT_TRUE(b.isDirty(attr(f.other)));
      EXPECT_EQ(b.getVector(attr(f.other)).x, -7.0f);
    }
  }
}

TEST_F(Evaluation, AnyOtherPlugIsRefusedAndNothingChanges) {
  const std::vector<Light> lights = {{{1, 1, 2}, {1, 1, 1}, true, true}};
  for (const char* plug :
       {"color", "colorR", "transparency", "diffuse", "roughness", "normalCamera", "rayDirectionX",
        "lightDataArray", "lightDirection", "lightIntensityG", "lightAmbient", "lightBlindData"}) {
    mayahost::DataBlock& b = prepare(Material{}, {0, 0, 3}, {0, 2, -2}, lights);
    const auto before = b.snapshot();
    EXPECT_EQ(b.compute(attr(plug)), mayahost::Status::kUnknownParameter) << plug;
    EXPECT_EQ(b.snapshot(), before) << plug;
  }
}

TEST_F(Evaluation, ColourEvaluationLeavesUnitVectorsInTheBlock) {
  const std::vector<Light> lights = {{{3, 0, 4}, {1, 1, 1}, false, false},
                                     {{0, 0, 0}, {1, 1, 1}, true, true},
                                     {{0, -2, 0}, {1, 1, 1}, false, true}};
  mayahost::DataBlock& b = prepare(Material{}, {0, 0, 5}, {0, 6, -8}, lights);
  ASSERT_EQ(b.request(attr("outColor")), mayahost::Status::kSuccess);
  struct Case {
    std::string what;
    mayahost::Float3 got;
    D3 expected;
  };
  const std::vector<Case> cases = {
      {"normal", b.getVector(attr("normalCamera")), {0, 0, 1}},
      {"ray", b.getVector(attr("rayDirection")), {0, 0.6, -0.8}},
      {"light without flags is normalised too",
       b.getVector(attr("lightDirection"), 0),
       {0.6, 0, 0.8}},
      {"zero-length light stays zero", b.getVector(attr("lightDirection"), 1), {0, 0, 0}},
      {"light below the horizon", b.getVector(attr("lightDirection"), 2), {0, -1, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(c.got.x, c.expected[0], 1e-7) << c.what;
    EXPECT_NEAR(c.got.y, c.expected[1], 1e-7) << c.what;
    EXPECT_NEAR(c.got.z, c.expected[2], 1e-7) << c.what;
  }
}

TEST_F(Evaluation, EmptyLightListLeavesNormalAndRayAsTheyWere) {
  mayahost::DataBlock& b = prepare(Material{}, {0, 0, 5}, {0, 6, -8}, {});
  ASSERT_EQ(b.request(attr("outColor")), mayahost::Status::kSuccess);
  EXPECT_EQ(b.getVector(attr("normalCamera")).z, 5.0f);
  EXPECT_EQ(b.getVector(attr("rayDirection")).y, 6.0f);
}

TEST_F(Evaluation, TransparencyPassThroughTouchesNothingElse) {
  Material m;
  m.transparency = {0.1, 0.2, 1.5};
  const std::vector<Light> lights = {{{0, 3, 4}, {1, 1, 1}, true, true}};
  mayahost::DataBlock& b = prepare(m, {0, 0, 5}, {0, 6, -8}, lights);
  const auto before = b.snapshot();
  ASSERT_EQ(b.request(attr("outTransparency")), mayahost::Status::kSuccess);
  // Put the output and its clean marks back: then nothing else may differ.
  ASSERT_TRUE(b.setVector(attr("outTransparency"), 0, 0, 0));
  const auto after = b.snapshot();
  std::size_t differing = 0;
  for (std::size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_EQ(differing, 4u) << "only the four dirty marks of outTransparency";
  EXPECT_EQ(b.getVector(attr("normalCamera")).z, 5.0f);
  EXPECT_EQ(b.getVector(attr("lightDirection"), 0).y, 3.0f);
  EXPECT_TRUE(b.isDirty(attr("outColor")));
}

}  // namespace
