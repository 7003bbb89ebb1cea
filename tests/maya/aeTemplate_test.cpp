// The Attribute Editor templates against the nodes they lay out: the mattora
// node the plug-in registers, and the node Maya's mental ray integration
// makes of vela_mattora's declaration. A name a template lays out that the
// node lacks is an error in Maya, and an input it leaves out lands among the
// "Extra Attributes".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "pluginFixture.h"

namespace {

struct NodeAttributes {
  std::set<std::string> names;       // every attribute, children too
  std::set<std::string> shown;       // the inputs a user sets
  std::set<std::string> outOfSight;  // inputs the template must suppress
};

void addWithChildren(const mayahost::Attribute& attribute, std::set<std::string>& names) {
  const mayahost::AttributeInfo info = attribute.info();
  names.insert(info.name);
  for (const mayahost::Attribute& child : info.children) addWithChildren(child, names);
}

// Keyable inputs are shown; the hidden ones Maya's renderer fills per sample.
NodeAttributes ofMattora(const mayahost::NodeType& type) {
  NodeAttributes node;
  for (const mayahost::Attribute& a : type.attributes()) {
    addWithChildren(a, node.names);
    const mayahost::AttributeInfo info = a.info();
    if (info.writable && info.keyable) node.shown.insert(info.name);
    if (info.writable && info.hidden) node.outOfSight.insert(info.name);
  }
  return node;
}

// Maya makes a colour a float3 with R, G, B children and a separate float
// <name>A, a vector a float3 with X, Y, Z children, and an array of lights a
// multi message attribute that lights are connected to. The shader never
// reads the alphas.
NodeAttributes ofVelaMattora(const mayahost::NodeType&) {
  const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  NodeAttributes node;
  for (const mrhost::ParamDecl& p : mrhost::findDeclaration(decls, "vela_mattora").params) {
    node.names.insert(p.name);
    if (p.type == mrhost::ParamType::Light) continue;
    node.shown.insert(p.name);
    const char* children = p.type == mrhost::ParamType::Color    ? "RGB"
                           : p.type == mrhost::ParamType::Vector ? "XYZ"
                                                                 : "";
    for (const char* c = children; *c; ++c) node.names.insert(p.name + *c);
    if (p.type == mrhost::ParamType::Color) {
      node.names.insert(p.name + "A");
      node.outOfSight.insert(p.name + "A");
    }
  }
  return node;
}

struct Template {
  const char* node;
  const char* path;
  NodeAttributes (*attributes)(const mayahost::NodeType& mattora);
};

void PrintTo(const Template& t, std::ostream* out) { *out << t.node; }

class AeTemplate : public mattoratest::LoadedPlugin,
                   public testing::WithParamInterface<Template> {};

TEST_P(AeTemplate, NamesOnlyTheNodesAttributesAndGivesEveryInputAControl) {
  const Template& t = GetParam();
  std::ifstream file(testsupport::besideExecutable(t.path));
  ASSERT_TRUE(file) << t.path;
  std::stringstream text;
  text << file.rdbuf();
  const std::string mel = text.str();
  // Maya runs AE<type>Template for the Attribute Editor of a node of that type.
  EXPECT_NE(mel.find("global proc AE" + std::string(t.node) + "Template(string $nodeName)"),
            std::string::npos);

  const NodeAttributes node = t.attributes(*type);
  std::set<std::string> controlled, suppressed;
  const std::regex flagged("editorTemplate\\s+-(addControl|suppress)\\s+\"([A-Za-z]+)\"");
  for (std::sregex_iterator m(mel.begin(), mel.end(), flagged), end; m != end; ++m) {
    EXPECT_EQ(node.names.count((*m)[2]), 1u) << "the template names " << (*m)[2];
    ((*m)[1] == "addControl" ? controlled : suppressed).insert((*m)[2]);
  }
  EXPECT_EQ(controlled, node.shown);
  EXPECT_EQ(suppressed, node.outOfSight);

  std::string names;
  for (const std::string& name : controlled) names += " " + name;
  names += "; suppressed:";
  for (const std::string& name : suppressed) names += " " + name;
  std::printf("%s template controls:%s\n", t.node, names.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, AeTemplate,
    testing::Values(Template{"mattora", MATTORA_AE_TEMPLATE, ofMattora},
                    Template{"vela_mattora", VELA_MATTORA_AE_TEMPLATE, ofVelaMattora}),
    [](const testing::TestParamInfo<Template>& info) { return std::string(info.param.node); });

}  // namespace
