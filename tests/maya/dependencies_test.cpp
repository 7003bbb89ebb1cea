#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mayahost/host.h"
#include "pluginFixture.h"

namespace {

using mayahost::AttributeKind;
using Dependencies = mattoratest::LoadedPlugin;

const std::vector<std::string> kOutputs = {
    "outColor",        "outColorR",        "outColorG",        "outColorB",
    "outTransparency", "outTransparencyR", "outTransparencyG", "outTransparencyB"};
const std::vector<std::string> kTransparency = {"transparency", "transparencyR", "transparencyG",
                                                "transparencyB"};

std::vector<std::string> allNames(const mayahost::Attribute& a) {
  std::vector<std::string> out{a.name()};
  for (const auto& c : a.info().children)
    for (const auto& n : allNames(c)) out.push_back(n);
  return out;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST_F(Dependencies, DeclaredInTheDocumentedOrder) {
  std::vector<std::pair<std::string, std::string>> expected;
  auto to = [&](const std::vector<std::string>& ins, const std::string& out) {
    for (const auto& in : ins) expected.emplace_back(in, out);
  };
  to({"colorR", "colorG", "colorB", "color"}, "outColor");
  to({"transparencyR", "transparencyG", "transparencyB"}, "outTransparency");
  to({"ambientColorR", "ambientColorG", "ambientColorB", "ambientColor"}, "outColor");
  to({"transparency"}, "outTransparency");
  to({"transparencyR", "transparencyG", "transparencyB", "transparency"}, "outColor");
  to({"incandescenceR", "incandescenceG", "incandescenceB", "incandescence"}, "outColor");
  to({"diffuse", "translucence", "roughness"}, "outColor");
  to({"lightIntensityR", "lightIntensityB", "lightIntensityG", "lightIntensity"}, "outColor");
  to({"rayDirectionX", "rayDirectionY", "rayDirectionZ", "rayDirection"}, "outColor");
  to({"normalCameraX", "normalCameraY", "normalCameraZ", "normalCamera"}, "outColor");
  to({"lightDirectionX", "lightDirectionY", "lightDirectionZ", "lightDirection"}, "outColor");
  to({"lightAmbient", "lightSpecular", "lightDiffuse", "lightShadowFraction", "preShadowIntensity",
      "lightBlindData", "lightDataArray"},
     "outColor");
  ASSERT_EQ(expected.size(), 46u);

  std::vector<std::pair<std::string, std::string>> actual;
  for (const auto& [in, out] : type->affects()) actual.emplace_back(in.name(), out.name());
  EXPECT_EQ(actual, expected);
}

TEST_F(Dependencies, EveryInputDirtiesOutColorAndOnlyTransparencyDirtiesOutTransparency) {
  std::vector<std::string> inputs;
  for (const auto& top : type->attributes())
    for (const auto& name : allNames(top))
      if (!contains(kOutputs, name)) inputs.push_back(name);
  ASSERT_EQ(inputs.size(), 42u);

  const auto outColor = attr("outColor"), outTransparency = attr("outTransparency");
  int blindData = 0;
  for (const std::string& name : inputs) {
    SCOPED_TRACE(name);
    mayahost::DataBlock& b = newBlock();
    ASSERT_TRUE(b.setElementCount(attr("lightDataArray"), 1));
    ASSERT_EQ(b.request(outColor), mayahost::Status::kSuccess);
    ASSERT_EQ(b.request(outTransparency), mayahost::Status::kSuccess);
    ASSERT_FALSE(b.isDirty(outColor));
    ASSERT_FALSE(b.isDirty(outTransparency));

    const mayahost::Attribute a = attr(name);
    bool set = false;
    switch (a.info().kind) {
      case AttributeKind::Float:
        set = b.setFloat(a, 0.25f);
        break;
      case AttributeKind::Boolean:
        set = b.setBool(a, false);
        break;
      case AttributeKind::Compound:
        set = b.setVector(a, 0.1f, 0.2f, 0.3f);
        break;
      case AttributeKind::Address:
        set = b.setAddress(a, &blindData);
        break;
      case AttributeKind::LightData:
        set = b.setElementCount(a, 3);
        break;
    }
    ASSERT_TRUE(set);
    EXPECT_TRUE(b.isDirty(outColor));
    for (const char* child : {"outColorR", "outColorG", "outColorB"})
      EXPECT_TRUE(b.isDirty(attr(child))) << child;
    EXPECT_EQ(b.isDirty(outTransparency), contains(kTransparency, name));
  }
}

TEST_F(Dependencies, ComputedOutputIsReadUntilAnInputChanges) {
  mayahost::DataBlock& b = newBlock();
  const auto outColor = attr("outColor");
  ASSERT_TRUE(b.setVector(attr("incandescence"), 0.25f, 0.5f, 1.0f));
  ASSERT_EQ(b.request(outColor), mayahost::Status::kSuccess);
  // A clean output is not recomputed: an overwrite stays visible.
  ASSERT_TRUE(b.setVector(outColor, 9.0f, 9.0f, 9.0f));
  ASSERT_EQ(b.request(outColor), mayahost::Status::kSuccess);
  EXPECT_EQ(b.getVector(outColor).x, 9.0f);
  ASSERT_TRUE(b.setVector(attr("incandescence"), 0.25f, 0.5f, 1.0f));
  ASSERT_EQ(b.request(outColor), mayahost::Status::kSuccess);
  EXPECT_EQ(b.getVector(outColor).x, 0.25f);
}

}  // namespace
