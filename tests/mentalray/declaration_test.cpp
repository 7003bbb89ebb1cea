// The declaration reader, the block it lays out and fills, setting
// parameters by name, and the keywords Maya's mental ray integration reads.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"
#include "hosts/mentalray/shaderInstance.h"
#include "mayaKeywords.h"
#include "support/besideExecutable.h"

namespace {

using mrhost::ParamType;

const mrhost::ShaderDecl& velaMattora() {
  static const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  return mrhost::findDeclaration(decls, "vela_mattora");
}

template <typename T>
T fieldAt(mrhost::ShaderInstance& instance, int offset) {
  T value;
  std::memcpy(&value, static_cast<const char*>(instance.parameters()) + offset, sizeof value);
  return value;
}

TEST(Declaration, VelaMattoraLaysOutElevenFieldsAtTheRendererOffsets) {
  const mrhost::ShaderDecl& decl = velaMattora();
  EXPECT_EQ(decl.result, ParamType::Color);
  EXPECT_EQ(decl.version, 1);
  EXPECT_EQ(decl.apply, std::vector<std::string>{"material"});
  struct Field {
    const char* name;
    ParamType type;
    int offset;
  };
  const Field fields[] = {
      {"color", ParamType::Color, 0},          {"ambientColor", ParamType::Color, 16},
      {"incandescence", ParamType::Color, 32}, {"normalOffset", ParamType::Vector, 48},
      {"diffuse", ParamType::Scalar, 60},      {"roughness", ParamType::Scalar, 64},
      {"irradiance", ParamType::Boolean, 68},  {"irradianceColor", ParamType::Color, 72},
      {"light", ParamType::Light, 88},
  };
  ASSERT_EQ(decl.params.size(), std::size(fields));
  for (std::size_t i = 0; i < decl.params.size(); ++i) {
    EXPECT_EQ(decl.params[i].name, fields[i].name);
    EXPECT_EQ(decl.params[i].type, fields[i].type) << fields[i].name;
    EXPECT_EQ(decl.params[i].offset, fields[i].offset) << fields[i].name;
  }
  // The array: index 88, count 92, first element 96; the block ends after it.
  EXPECT_TRUE(decl.params.back().isArray);
  mrhost::ShaderInstance instance(decl);
  EXPECT_EQ(instance.offsetOf("light"), 96);
  EXPECT_EQ(decl.blockSize, 100);
}

TEST(Declaration, DefaultsMatchTheMayaNode) {
  mrhost::ShaderInstance instance(velaMattora());
  struct Expect {
    const char* what;
    int offset;
    float value;
  };
  const Expect floats[] = {
      {"color.r", 0, 0.5f},          {"color.g", 4, 0.5f},
      {"color.b", 8, 0.5f},          {"ambientColor.r", 16, 0.0f},
      {"incandescence.b", 40, 0.0f}, {"normalOffset.x", 48, 0.0f},
      {"normalOffset.z", 56, 0.0f},  {"diffuse", 60, 0.8f},
      {"roughness", 64, 0.5f},       {"irradianceColor.g", 76, 0.0f},
  };
  for (const Expect& e : floats) EXPECT_EQ(fieldAt<float>(instance, e.offset), e.value) << e.what;
  EXPECT_EQ(fieldAt<int>(instance, 68), 0) << "irradiance off";
  EXPECT_EQ(fieldAt<int>(instance, 88), 0) << "i_light";
  EXPECT_EQ(fieldAt<int>(instance, 92), 0) << "n_light";
  EXPECT_EQ(instance.function()->ghost_offs, 0) << "nothing driven";
}

TEST(Declaration, SettersWriteByNameAndRefuseWrongNamesAndTypes) {
  mrhost::ShaderInstance instance(velaMattora());
  instance.setColor("ambientColor", miColor{0.1f, 0.2f, 0.3f, 0.4f});
  instance.setVector("normalOffset", miVector{1.0f, 2.0f, 3.0f});
  instance.setScalar("roughness", 0.25f);
  instance.setBoolean("irradiance", true);
  instance.setLights("light", {7, 8}, 2);
  EXPECT_EQ(fieldAt<float>(instance, 20), 0.2f);
  EXPECT_EQ(fieldAt<float>(instance, 56), 3.0f);
  EXPECT_EQ(fieldAt<float>(instance, 64), 0.25f);
  EXPECT_EQ(fieldAt<int>(instance, 68), 1);
  EXPECT_EQ(fieldAt<int>(instance, 88), 2) << "index counts from the first-element field";
  EXPECT_EQ(fieldAt<int>(instance, 92), 2);
  EXPECT_EQ(fieldAt<unsigned>(instance, 96 + 4 * 2), 7u);
  EXPECT_EQ(fieldAt<unsigned>(instance, 96 + 4 * 3), 8u);

  EXPECT_THROW(instance.setScalar("roughnes", 1.0f), mrhost::Error);
  EXPECT_THROW(instance.setScalar("color", 1.0f), mrhost::Error);
  EXPECT_THROW(instance.setLights("light", std::vector<miTag>(17, 1)), mrhost::Error);
  EXPECT_THROW(instance.drive("nothing", 1), mrhost::Error);
}

// Texts a reader refuses, each with the one line it must report.
struct Refused {
  const char* what;
  const char* text;
  const char* message;
};

template <typename Read>
void expectRefused(const std::vector<Refused>& cases, Read read) {
  for (const Refused& c : cases) {
    try {
      read(c.text);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.what;
    }
  }
}

TEST(Declaration, BrokenDeclarationsNameFileAndLine) {
  const std::vector<Refused> cases = {
      {"unknown parameter type", "declare shader\ncolor \"s\" (\n  colour \"c\"\n)\nend declare\n",
       "broken.mi:3: unknown type 'colour'"},
      {"missing comma", "declare shader color \"s\" (\n scalar \"a\"\n scalar \"b\"\n) end declare",
       "broken.mi:3: expected ',', found 'scalar'"},
      {"unterminated string", "declare shader color \"s (\n", "broken.mi:1: unterminated string"},
      {"colour default too short", "declare shader color \"s\" (\n color \"c\" default 1 2\n)",
       "broken.mi:3: expected a colour component, found ')'"},
      {"no end declare", "declare shader color \"s\" ( scalar \"a\" )\nversion 1\n",
       "broken.mi:3: expected 'end', found the end of the file"},
      {"version not a number", "declare shader color \"s\" ( scalar \"a\" ) version one",
       "broken.mi:1: expected the version, found 'one'"},
      {"parameter twice", "declare shader color \"s\" (\nscalar \"a\",\nscalar \"a\") end declare",
       "broken.mi:3: parameter \"a\" declared twice"},
      {"boolean default", "declare shader color \"s\" ( boolean \"a\" default maybe )",
       "broken.mi:1: expected on or off, found 'maybe'"},
      {"stray character", "declare shader color \"s\" ( scalar \"a\" ) ;",
       "broken.mi:1: unexpected character ';'"},
      {"not a shader", "declare phenomenon color \"p\" ( ) end declare",
       "broken.mi:1: expected 'shader' after 'declare', found 'phenomenon'"},
  };
  expectRefused(cases, [](const char* text) { mrhost::parseDeclarations(text, "broken.mi"); });
}

TEST(Declaration, MissingFileAndMissingShaderAreNamed) {
  try {
    mrhost::readDeclarationFile("no/such/file.mi");
    ADD_FAILURE() << "no error";
  } catch (const mrhost::Error& error) {
    EXPECT_EQ(std::string(error.what()), "no/such/file.mi: cannot open the shader declaration");
  }
  const auto decls = mrhost::parseDeclarations(
      "declare shader scalar \"a\" ( scalar \"x\" default 2 ) version 3 end declare", "t.mi");
  ASSERT_EQ(decls.size(), 1u);
  EXPECT_EQ(decls[0].version, 3);
  EXPECT_EQ(decls[0].params[0].defaults, std::vector<double>{2.0});
  EXPECT_THROW(mrhost::findDeclaration(decls, "b"), mrhost::Error);
}

std::string readText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The node Maya makes of the shader is held to the mattora node where the
// two share an attribute: the same short name and the same limits, as the
// node's registration records them.
TEST(MayaKeywords, VelaMattoraHasItsNodeIdAndTheMayaNodesShortNamesAndLimits) {
  const std::string path = testsupport::besideExecutable(VELA_MATTORA_DECLARATION);
  const auto shaders = mrtest::readMayaKeywords(readText(path), path);
  ASSERT_EQ(shaders.count("vela_mattora"), 1u);
  const mrtest::MayaKeywords& vela = shaders.at("vela_mattora");

  const std::string registration = readText(testsupport::besideExecutable(MATTORA_REGISTRATION));
  std::smatch id;
  ASSERT_TRUE(std::regex_search(registration, id, std::regex(R"(  id 0x[0-9a-f]+ \((\d+)\))")));
  EXPECT_EQ(vela.nodeId, VELA_MATTORA_NODE_ID) << "the configured id";
  EXPECT_NE(vela.nodeId, std::stoul(id[1])) << "the mattora node's id";

  struct MayaAttribute {
    std::string shortName;
    std::map<std::string, double> limits;
  };
  std::map<std::string, MayaAttribute> maya;  // top-level attributes
  const std::regex attribute(R"(^    (\w+) \((\w+)\) (.*)$)", std::regex::multiline);
  const std::regex limit(R"(  (softMin|softMax|min|max) (\S+))");
  for (std::sregex_iterator a(registration.begin(), registration.end(), attribute), end; a != end;
       ++a) {
    MayaAttribute& m = maya[(*a)[1]];
    m.shortName = (*a)[2];
    const std::string rest = (*a)[3];
    for (std::sregex_iterator l(rest.begin(), rest.end(), limit); l != end; ++l) {
      std::string key = (*l)[1];
      for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      m.limits[key] = std::stod((*l)[2]);
    }
  }
  ASSERT_EQ(maya.count("roughness"), 1u) << "the registration's attribute lines";

  std::set<std::string> names;
  for (const mrhost::ParamDecl& p : velaMattora().params) names.insert(p.name);
  EXPECT_EQ(vela.params.size(), names.size());
  for (const mrhost::ParamDecl& p : velaMattora().params) {
    const auto found = vela.params.find(p.name);
    ASSERT_NE(found, vela.params.end()) << p.name << " has no keywords";
    std::map<std::string, std::vector<std::string>> keywords = found->second;
    ASSERT_EQ(keywords.count("shortname"), 1u) << p.name;
    const std::string shortName = keywords["shortname"][0];
    EXPECT_TRUE(names.insert(shortName).second)
        << p.name << ": short name " << shortName << " is taken";
    if (keywords.count("default")) {
      const std::vector<std::string>& given = keywords["default"];
      ASSERT_LE(given.size(), p.defaults.size()) << p.name << ": a default of Maya's own";
      for (std::size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(std::stod(given[i]), p.defaults[i]) << p.name << ": a default of Maya's own";
    }
    keywords.erase("shortname");
    keywords.erase("default");
    keywords.erase("hidden");
    if (maya.count(p.name) == 0) continue;
    EXPECT_EQ(shortName, maya[p.name].shortName) << p.name;
    std::map<std::string, double> limits;
    for (const auto& [key, values] : keywords) limits[key] = std::stod(values.at(0));
    EXPECT_EQ(limits, maya[p.name].limits) << p.name;
  }
}

TEST(MayaKeywords, IllPlacedOrMalformedKeywordsAreReportedWithTheirLine) {
  const std::vector<Refused> cases = {
      {"a short name among the requirements",
       "declare shader color \"s\" (\n  scalar \"a\"\n)\nversion 1\n#: shortname \"a\"\nend "
       "declare",
       "t.mi:5: 'shortname' belongs after a parameter, not among the requirements"},
      {"a node id after a parameter",
       "declare shader color \"s\" (\n  scalar \"a\", #: nodeid 5\n  scalar \"b\"\n) end declare",
       "t.mi:2: 'nodeid' belongs in the requirement section"},
      {"a node id outside the declaration",
       "#: nodeid 5\ndeclare shader color \"s\" ( ) end declare",
       "t.mi:1: 'nodeid' belongs in the requirement section"},
      {"a keyword before the first parameter",
       "declare shader color \"s\" ( #: shortname \"a\"\n  scalar \"a\" ) end declare",
       "t.mi:1: 'shortname' follows no parameter"},
      {"a keyword before its parameter's comma",
       "declare shader color \"s\" (\n  scalar \"a\" #: shortname \"a\"\n  , scalar \"b\" ) end "
       "declare",
       "t.mi:2: a Maya keyword of \"a\" stands before its comma"},
      {"an unknown keyword", "declare shader color \"s\" (\n  scalar \"a\" #: shortName \"a\"\n)",
       "t.mi:2: expected a Maya keyword, found 'shortName'"},
      {"a short name without quotes", "declare shader color \"s\" ( scalar \"a\" #: shortname a\n)",
       "t.mi:1: 'shortname' needs an attribute name in quotes"},
      {"an unterminated short name",
       "declare shader color \"s\" ( scalar \"a\" #: shortname \"a\n)",
       "t.mi:1: unterminated string"},
      {"a soft limit without a number", "declare shader color \"s\" ( scalar \"a\" #: softmin\n)",
       "t.mi:1: 'softmin' needs a number"},
      {"a soft limit of two numbers", "declare shader color \"s\" ( scalar \"a\" #: softmax 1 2\n)",
       "t.mi:1: expected a Maya keyword, found '2'"},
      {"a default of four numbers",
       "declare shader color \"s\" ( color \"a\" #: default 1 2 3 4\n)",
       "t.mi:1: expected a Maya keyword, found '4'"},
      {"hidden neither on nor off", "declare shader color \"s\" ( scalar \"a\" #: hidden maybe\n)",
       "t.mi:1: 'hidden' needs on or off"},
      {"a node id that is no number",
       "declare shader color \"s\" ( scalar \"a\" )\n#: nodeid vela\nend declare",
       "t.mi:2: 'nodeid' needs a decimal number of at most 32 bits"},
      {"a keyword twice", "declare shader color \"s\" ( scalar \"a\" #: softmin 0 softmin 1\n)",
       "t.mi:1: 'softmin' given twice for \"a\""},
  };
  expectRefused(cases, [](const char* text) { mrtest::readMayaKeywords(text, "t.mi"); });
}

}  // namespace
