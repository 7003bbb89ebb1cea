// The .mi declaration reader given text a renderer's users do write by
// accident: control characters pasted into names, bytes of other encodings,
// numbers beyond what the float fields they fill can hold.
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"
#include "hosts/mentalray/shaderInstance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// The message parseDeclarations throws for the text, or "" when it reads it.
std::string errorFor(const std::string& text) {
  try {
    mrhost::parseDeclarations(text, "edge.mi");
  } catch (const mrhost::Error& error) {
    return error.what();
  }
  return "";
}

bool printableLine(const std::string& message) {
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

TEST(DeclarationEdges, ControlCharactersNeverReachAMessage) {
  struct Case {
    std::string what, text, message;
  };
  const std::vector<Case> cases = {
      {"carriage return in a shader name",
       "declare shader color \"x\ry\" ( scalar \"s\" ) end declare",
       "edge.mi:1: control character '\\x0d' in a string"},
      {"terminal escape in a parameter name",
       "declare shader color \"x\" (\n  scalar \"\x1b[31mred\" ) end declare",
       "edge.mi:2: control character '\\x1b' in a string"},
      {"tab in a name", "declare shader color \"a\tb\" ( scalar \"s\" ) end declare",
       "edge.mi:1: control character '\\x09' in a string"},
      {"stray control character", "declare shader \x07 color",
       "edge.mi:1: unexpected character '\\x07'"},
      {"delete character", "declare \x7f", "edge.mi:1: unexpected character '\\x7f'"},
      {"lone byte of another encoding", "declare shader color \xe9",
       "edge.mi:1: unexpected character '\\xe9'"},
  };
  for (const Case& c : cases) {
    const std::string message = errorFor(c.text);
    EXPECT_EQ(message, c.message) << c.what;
    EXPECT_TRUE(printableLine(message)) << c.what;
  }
}

TEST(DeclarationEdges, NamesOutsideAsciiAreKeptWhole) {
  const std::vector<mrhost::ShaderDecl> decls = mrhost::parseDeclarations(
      "declare shader color \"farbe_\xc3\xbc\" ( scalar \"gr\xc3\xb6\xc3\x9f"
      "e\" ) end declare",
      "edge.mi");
  ASSERT_EQ(decls.size(), 1u);
  EXPECT_EQ(decls[0].name, "farbe_\xc3\xbc");
  EXPECT_EQ(decls[0].params[0].name,
            "gr\xc3\xb6\xc3\x9f"
            "e");
}

TEST(DeclarationEdges, DefaultsBeyondTheFloatRangeAreRefused) {
  struct Case {
    std::string what, text, message;
  };
  const std::vector<Case> cases = {
      {"scalar", "declare shader color \"x\" ( scalar \"s\" default 1e39 ) end declare",
       "edge.mi:1: '1e39' is beyond the range of a float"},
      {"colour component",
       "declare shader color \"x\" ( color \"c\" default 0 0 -1e300 ) end declare",
       "edge.mi:1: '-1e300' is beyond the range of a float"},
      {"vector component",
       "declare shader color \"x\" ( vector \"v\" default 3.5e38 0 0 ) end declare",
       "edge.mi:1: '3.5e38' is beyond the range of a float"},
  };
  for (const Case& c : cases) EXPECT_EQ(errorFor(c.text), c.message) << c.what;
}

TEST(DeclarationEdges, DefaultsAtTheEdgesOfTheFloatRangeFillTheBlock) {
  const std::vector<mrhost::ShaderDecl> decls = mrhost::parseDeclarations(
      "declare shader color \"x\" ( scalar \"top\" default 3.4028234663852886e38,\n"
      "  scalar \"bottom\" default -3.4028234663852886e38, scalar \"tiny\" default 1e-300 )\n"
      "end declare",
      "edge.mi");
  mrhost::ShaderInstance instance(decls.at(0));
  auto field = [&](const char* name) {
    float value;
    std::memcpy(&value, static_cast<const char*>(instance.parameters()) + instance.offsetOf(name),
                sizeof value);
    return value;
  };
  EXPECT_EQ(field("top"), std::numeric_limits<float>::max());
  EXPECT_EQ(field("bottom"), -std::numeric_limits<float>::max());
  EXPECT_EQ(field("tiny"), 0.0f);
}

}  // namespace
