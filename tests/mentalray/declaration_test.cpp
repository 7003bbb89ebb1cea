// The declaration reader, the block it lays out and fills, and setting
// parameters by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"
#include "hosts/mentalray/shaderInstance.h"
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

TEST(Declaration, BrokenDeclarationsNameFileAndLine) {
  struct Case {
    const char* what;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    try {
      mrhost::parseDeclarations(c.text, "broken.mi");
      ADD_FAILURE() << c.what << ": no error";
    } catch (const mrhost::Error& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.what;
    }
  }
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

}  // namespace
