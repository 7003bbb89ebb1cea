// The Attribute Editor template against the node the plug-in registers: a
// name it lays out that the node lacks is an error in Maya, and a keyable
// input it leaves out lands among the "Extra Attributes".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "pluginFixture.h"

namespace {

using AeTemplate = mattoratest::LoadedPlugin;

TEST_F(AeTemplate, NamesOnlyTheNodesAttributesAndGivesEveryKeyableInputAControl) {
  std::ifstream file(testsupport::besideExecutable(MATTORA_AE_TEMPLATE));
  ASSERT_TRUE(file) << MATTORA_AE_TEMPLATE;
  std::stringstream text;
  text << file.rdbuf();
  const std::string mel = text.str();

  std::set<std::string> controlled, suppressed;
  const std::regex flagged("editorTemplate\\s+-(addControl|suppress)\\s+\"([A-Za-z]+)\"");
  for (std::sregex_iterator m(mel.begin(), mel.end(), flagged), end; m != end; ++m) {
    EXPECT_TRUE(type->attribute((*m)[2])) << "the template names " << (*m)[2];
    ((*m)[1] == "addControl" ? controlled : suppressed).insert((*m)[2]);
  }
  EXPECT_EQ(controlled.size(), 7u);
  EXPECT_EQ(suppressed, (std::set<std::string>{"lightDataArray", "normalCamera", "rayDirection"}));

  for (const mayahost::Attribute& a : type->attributes()) {
    const mayahost::AttributeInfo info = a.info();
    if (info.keyable && info.writable) {
      EXPECT_EQ(controlled.count(info.name), 1u) << info.name << " has no control";
    }
    if (info.hidden && info.writable) {
      EXPECT_EQ(suppressed.count(info.name), 1u) << info.name << " is not suppressed";
    }
  }
  std::string names;
  for (const std::string& name : controlled) names += " " + name;
  names += "; suppressed:";
  for (const std::string& name : suppressed) names += " " + name;
  std::printf("template controls:%s\n", names.c_str());
}

}  // namespace
