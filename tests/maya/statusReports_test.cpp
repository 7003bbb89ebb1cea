#include <gtest/gtest.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "mayahost/host.h"
#include "mayahost/testSwitches.h"
#include "pluginFixture.h"

namespace {

const std::vector<std::string> kLightBlock = {
    "lightDirectionX",    "lightDirectionY", "lightDirectionZ", "lightDirection",
    "lightIntensityR",    "lightIntensityG", "lightIntensityB", "lightIntensity",
    "lightAmbient",       "lightDiffuse",    "lightSpecular",   "lightShadowFraction",
    "preShadowIntensity", "lightBlindData",  "lightDataArray"};

std::vector<std::string> otherRows() {
  std::vector<std::string> names = {"diffuse", "translucence", "roughness"};
  for (const char* c :
       {"color", "transparency", "ambientColor", "incandescence", "outColor", "outTransparency"})
    for (const char* s : {"", "R", "G", "B"}) names.push_back(std::string(c) + s);
  for (const char* c : {"normalCamera", "rayDirection"})
    for (const char* s : {"", "X", "Y", "Z"}) names.push_back(std::string(c) + s);
  return names;
}

struct Reports {
  int count = 0;
  std::vector<int> lines;
  std::string leftOver;  // whatever is not a well-formed report
};

// Splits standard error into reports of the documented form.
Reports parse(const std::string& text) {
  static const std::regex report(
      "\nAPI error detected in maya/mattoraNode\\.cpp at line ([0-9]+)\n\\(k[A-Za-z]+\\): "
      "[^\n]+\n");
  Reports out;
  std::size_t consumed = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), report);
       it != std::sregex_iterator(); ++it) {
    out.leftOver += text.substr(consumed, it->position() - consumed);
    consumed = it->position() + it->length();
    ++out.count;
    out.lines.push_back(std::stoi((*it)[1]));
  }
  out.leftOver += text.substr(consumed);
  return out;
}

class StatusReports : public ::testing::Test {
 protected:
  void TearDown() override { mayahost::testing::failAttributeCalls({}); }

  // Loads and unloads the plug-in with the given attributes failing and
  // returns what it wrote to standard error meanwhile.
  std::string loadWithFailures(std::vector<std::string> failing) {
    mayahost::testing::failAttributeCalls(std::move(failing));
    ::testing::internal::CaptureStderr();
    std::string error;
    auto plugin = mayahost::Plugin::load(mattoratest::pluginPath(), &error);
    const std::string written = ::testing::internal::GetCapturedStderr();
    mayahost::testing::failAttributeCalls({});
    EXPECT_TRUE(plugin) << error;
    if (!plugin) return written;
    EXPECT_EQ(plugin->initializeStatus(), mayahost::Status::kSuccess);
    EXPECT_EQ(plugin->types().size(), 1u) << "registration never fails over an attribute";
    EXPECT_TRUE(plugin->unload(&error)) << error;
    return written;
  }
};

TEST_F(StatusReports, NoneWhenEveryCallSucceeds) { EXPECT_EQ(loadWithFailures({}), ""); }

TEST_F(StatusReports, NoneForFailuresOutsideTheLightBlock) {
  EXPECT_EQ(loadWithFailures(otherRows()), "");
}

TEST_F(StatusReports, OnePerLightBlockCallWhenAllOfThemFail) {
  const Reports r = parse(loadWithFailures(kLightBlock));
  EXPECT_EQ(r.count, 88);
  EXPECT_EQ(r.leftOver, "");
  // Each report names the line of its check, in the order of the source: one
  // line for each of the 14 children's calls, one for each of the array's 5.
  for (std::size_t i = 1; i < r.lines.size(); ++i) EXPECT_LE(r.lines[i - 1], r.lines[i]);
  EXPECT_EQ(std::set<int>(r.lines.begin(), r.lines.end()).size(), 14u + 5u);
}

TEST_F(StatusReports, EveryAttributeFailingStillGivesOnlyTheLightBlockReports) {
  const Reports r = parse(loadWithFailures({"*"}));
  EXPECT_EQ(r.count, 88);
  EXPECT_EQ(r.leftOver, "");
}

TEST_F(StatusReports, FailingArrayAttributeReportsItsFiveCalls) {
  const std::string written = loadWithFailures({"lightDataArray"});
  const Reports r = parse(written);
  EXPECT_EQ(r.count, 5);
  EXPECT_EQ(r.leftOver, "");
  // Its creation fails outright; the calls after it find no attribute.
  EXPECT_NE(written.find("(kFailure)"), std::string::npos);
}

TEST(StatusText, PerrorPrintsTheDescriptionAfterTheGivenText) {
  struct Case {
    const char* what;
    MStatus status;
    const char* text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"empty text gives the description alone", MStatus::kFailure, "",
       "(kFailure): Unexpected Internal Failure\n"},
      {"null text too", MStatus::kUnknownParameter, nullptr,
       "(kUnknownParameter): Unknown parameter\n"},
      {"other text leads", MStatus::kInvalidParameter, "setHidden",
       "setHidden: (kInvalidParameter): Invalid parameter\n"},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStderr();
    c.status.perror(c.text);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.expected) << c.what;
  }
}

}  // namespace
