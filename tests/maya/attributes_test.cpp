#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mayahost/host.h"
#include "pluginFixture.h"

namespace {

using mayahost::AttributeKind;

// Flags in the order keyable, storable, readable, writable, hidden, usedAsColor, array.
struct Flags {
  bool keyable, storable, readable, writable, hidden, usedAsColor, array;
};
constexpr Flags kPlain{false, true, true, true, false, false, false};
constexpr Flags kMaterial{true, true, true, true, false, true, false};
constexpr Flags kWeight{true, true, true, true, false, false, false};
constexpr Flags kOutput{false, true, true, false, false, false, false};
constexpr Flags kPerSample{false, false, true, true, true, false, false};
constexpr Flags kLightChild{false, false, true, false, true, false, false};
constexpr Flags kLightArray{false, false, true, true, true, false, true};

struct Expected {
  std::string name, shortName;
  AttributeKind kind;
  std::vector<double> defaults;
  Flags flags;
  std::string parent;
  double softMin = -1, softMax = -1;  // -1: none
};

const double k08 = double(0.8f);

std::vector<Expected> expectedAttributes() {
  const auto F = AttributeKind::Float, C = AttributeKind::Compound, B = AttributeKind::Boolean;
  std::vector<Expected> all;
  auto colour = [&](const std::string& name, const std::string& shortName,
                    const std::vector<std::string>& childShort, double value) {
    const char* rgb[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i)
      all.push_back({name + rgb[i], childShort[i], F, {value}, kPlain, name});
    all.push_back({name, shortName, C, {value, value, value}, kMaterial, ""});
  };
  colour("color", "c", {"cr", "cg", "cb"}, 0.5);
  colour("transparency", "it", {"itr", "itg", "itb"}, 0);
  colour("ambientColor", "ambC", {"ambCR", "ambCG", "ambCB"}, 0);
  colour("incandescence", "ic", {"ir", "ig", "ib"}, 0);
  all.push_back({"diffuse", "dfl", F, {k08}, kWeight, "", 0, 1});
  all.push_back({"translucence", "tsl", F, {0}, kWeight, "", 0, 1});
  all.push_back({"roughness", "rghn", F, {0.5}, kWeight, "", 0, 2});
  auto output = [&](const std::string& name, const std::string& shortName,
                    const std::vector<std::string>& childShort) {
    const char* rgb[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) all.push_back({name + rgb[i], childShort[i], F, {0}, kPlain, name});
    all.push_back({name, shortName, C, {0, 0, 0}, kOutput, ""});
  };
  output("outColor", "oc", {"ocr", "ocg", "ocb"});
  output("outTransparency", "ot", {"otr", "otg", "otb"});
  auto perSample = [&](const std::string& name, const std::string& shortName,
                       const std::vector<std::string>& childShort) {
    const char* xyz[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) all.push_back({name + xyz[i], childShort[i], F, {1}, kPlain, name});
    all.push_back({name, shortName, C, {1, 1, 1}, kPerSample, ""});
  };
  perSample("normalCamera", "n", {"nx", "ny", "nz"});
  perSample("rayDirection", "rad", {"rdx", "rdy", "rdz"});
  // The light-data default comes last, so it is what the light children keep.
  const char* xyz[] = {"X", "Y", "Z"};
  const char* dirShort[] = {"ldx", "ldy", "ldz"};
  for (int i = 0; i < 3; ++i)
    all.push_back({std::string("lightDirection") + xyz[i],
                   dirShort[i],
                   F,
                   {0},
                   kLightChild,
                   "lightDirection"});
  all.push_back({"lightDirection", "ld", C, {0, 0, 0}, kLightChild, "lightDataArray"});
  const char* rgb[] = {"R", "G", "B"};
  const char* intShort[] = {"lir", "lig", "lib"};
  for (int i = 0; i < 3; ++i)
    all.push_back({std::string("lightIntensity") + rgb[i],
                   intShort[i],
                   F,
                   {0},
                   kLightChild,
                   "lightIntensity"});
  all.push_back({"lightIntensity", "li", C, {0, 0, 0}, kLightChild, "lightDataArray"});
  all.push_back({"lightAmbient", "la", B, {1}, kLightChild, "lightDataArray"});
  all.push_back({"lightDiffuse", "ldf", B, {1}, kLightChild, "lightDataArray"});
  all.push_back({"lightSpecular", "ls", B, {0}, kLightChild, "lightDataArray"});
  all.push_back({"lightShadowFraction", "lsf", F, {1}, kLightChild, "lightDataArray"});
  all.push_back({"preShadowIntensity", "psi", F, {1}, kLightChild, "lightDataArray"});
  all.push_back(
      {"lightBlindData", "lbld", AttributeKind::Address, {}, kLightChild, "lightDataArray"});
  all.push_back({"lightDataArray",
                 "ltd",
                 AttributeKind::LightData,
                 {0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1},
                 kLightArray,
                 ""});
  return all;
}

using AttributeContract = mattoratest::LoadedPlugin;

TEST_F(AttributeContract, FiftyAttributesWithTheirNamesKindsDefaultsAndFlags) {
  const std::vector<Expected> all = expectedAttributes();
  ASSERT_EQ(all.size(), 50u);
  std::set<std::string> seen;
  for (const Expected& e : all) {
    SCOPED_TRACE(e.name);
    seen.insert(e.name);
    const mayahost::Attribute a = type->attribute(e.name);
    ASSERT_TRUE(a);
    EXPECT_EQ(type->attribute(e.shortName), a) << "short name " << e.shortName;
    const mayahost::AttributeInfo info = a.info();
    EXPECT_EQ(info.name, e.name);
    EXPECT_EQ(info.shortName, e.shortName);
    EXPECT_EQ(info.kind, e.kind);
    EXPECT_EQ(info.defaults, e.defaults);
    EXPECT_EQ(info.defaultAddress, nullptr);
    EXPECT_EQ(info.keyable, e.flags.keyable);
    EXPECT_EQ(info.storable, e.flags.storable);
    EXPECT_EQ(info.readable, e.flags.readable);
    EXPECT_EQ(info.writable, e.flags.writable);
    EXPECT_EQ(info.hidden, e.flags.hidden);
    EXPECT_EQ(info.usedAsColor, e.flags.usedAsColor);
    EXPECT_EQ(info.array, e.flags.array);
    EXPECT_FALSE(info.min) << "no hard limits";
    EXPECT_FALSE(info.max) << "no hard limits";
    if (e.softMin < 0) {
      EXPECT_FALSE(info.softMin);
      EXPECT_FALSE(info.softMax);
    } else {
      EXPECT_EQ(info.softMin, e.softMin);
      EXPECT_EQ(info.softMax, e.softMax);
    }
    if (!e.parent.empty()) {
      const auto siblings = type->attribute(e.parent).info().children;
      EXPECT_NE(std::find(siblings.begin(), siblings.end(), a), siblings.end()) << e.parent;
    }
  }
  EXPECT_EQ(seen.size(), 50u) << "names are unique";
}

TEST_F(AttributeContract, TopLevelAttributesInAddOrderAndChildrenInCreateOrder) {
  std::vector<std::string> names;
  for (const auto& a : type->attributes()) names.push_back(a.name());
  EXPECT_EQ(names, (std::vector<std::string>{"color", "transparency", "ambientColor",
                                             "incandescence", "diffuse", "translucence",
                                             "roughness", "outColor", "outTransparency",
                                             "rayDirection", "normalCamera", "lightDataArray"}));
  std::vector<std::string> lightChildren;
  for (const auto& a : type->attribute("lightDataArray").info().children)
    lightChildren.push_back(a.name());
  EXPECT_EQ(lightChildren,
            (std::vector<std::string>{"lightDirection", "lightIntensity", "lightAmbient",
                                      "lightDiffuse", "lightSpecular", "lightShadowFraction",
                                      "preShadowIntensity", "lightBlindData"}));
}

TEST_F(AttributeContract, NewNodeStartsFromTheDefaults) {
  mayahost::DataBlock& b = newBlock();
  auto vec = [&](const char* name) {
    const auto v = b.getVector(attr(name));
    return std::vector<float>{v.x, v.y, v.z};
  };
  EXPECT_EQ(vec("color"), (std::vector<float>{0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(vec("transparency"), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(vec("ambientColor"), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(vec("incandescence"), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(vec("normalCamera"), (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(vec("rayDirection"), (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(vec("outColor"), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(b.getFloat(attr("diffuse")), 0.8f);
  EXPECT_EQ(b.getFloat(attr("translucence")), 0.0f);
  EXPECT_EQ(b.getFloat(attr("roughness")), 0.5f);
  EXPECT_EQ(b.elementCount(attr("lightDataArray")), 0u);
}

TEST_F(AttributeContract, NewLightElementTakesTheLightDataDefault) {
  mayahost::DataBlock& b = newBlock();
  ASSERT_TRUE(b.setElementCount(attr("lightDataArray"), 2));
  for (unsigned e = 0; e < 2; ++e) {
    SCOPED_TRACE(e);
    const auto dir = b.getVector(attr("lightDirection"), e);
    const auto li = b.getVector(attr("lightIntensity"), e);
    EXPECT_EQ(std::vector<float>({dir.x, dir.y, dir.z}), std::vector<float>({0, 0, 0}));
    EXPECT_EQ(std::vector<float>({li.x, li.y, li.z}), std::vector<float>({0, 0, 0}));
    EXPECT_TRUE(b.getBool(attr("lightAmbient"), e));
    EXPECT_TRUE(b.getBool(attr("lightDiffuse"), e));
    EXPECT_FALSE(b.getBool(attr("lightSpecular"), e));
    EXPECT_EQ(b.getFloat(attr("lightShadowFraction"), e), 1.0f);
    EXPECT_EQ(b.getFloat(attr("preShadowIntensity"), e), 1.0f);
    EXPECT_EQ(b.getAddress(attr("lightBlindData"), e), nullptr);
  }
}

TEST_F(AttributeContract, ValuesOutsideTheSoftRangeAreKept) {
  mayahost::DataBlock& b = newBlock();
  for (const char* name : {"diffuse", "translucence", "roughness"}) {
    for (float v : {-3.0f, 7.5f}) {
      ASSERT_TRUE(b.setFloat(attr(name), v)) << name;
      EXPECT_EQ(b.getFloat(attr(name)), v) << name;
    }
  }
}

}  // namespace
