// The .mi declaration reader given text a renderer's users do write by
// accident: control characters pasted into names, bytes of other encodings,
// numbers beyond what the float fields they fill can hold.
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"

#include <gtest/gtest.h>

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

}  // namespace
