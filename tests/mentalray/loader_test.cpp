// Loading a shader library: the errors a renderer user sees, one line each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/error.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "support/besideExecutable.h"

namespace {

std::string loadError(const std::string& path, const mrhost::ShaderDecl& decl) {
  try {
    mrhost::ShaderLibrary library(path, decl);
  } catch (const mrhost::Error& error) {
    return error.what();
  }
  return "";
}

TEST(Loader, LoadsTheBuiltLibraryAndReadsItsVersion) {
  const auto decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  mrhost::ShaderLibrary library(testsupport::besideExecutable(VELA_MATTORA_LIBRARY),
                                mrhost::findDeclaration(decls, "vela_mattora"));
  EXPECT_EQ(library.version(), 1);
  EXPECT_NE(library.entry(), nullptr);
  EXPECT_NE(mrhost::rendererModule(), nullptr);
}

TEST(Loader, RefusesWhatItCannotUseWithAOneLineError) {
  const auto decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  const mrhost::ShaderDecl& decl = mrhost::findDeclaration(decls, "vela_mattora");
  mrhost::ShaderDecl versionTwo = decl;
  versionTwo.version = 2;
  struct Case {
    const char* what;
    std::string path;
    const mrhost::ShaderDecl& decl;
    std::string startsWith;
    std::string contains;
  };
  const Case cases[] = {
      {"missing file", "no/such/vela_mattora.so", decl,
       "no/such/vela_mattora.so: cannot load shader library: ", "No such file"},
      {"not a library", testsupport::besideExecutable(VELA_MATTORA_DECLARATION), decl,
       testsupport::besideExecutable(VELA_MATTORA_DECLARATION) + ": cannot load shader library: ",
       ""},
      {"missing exports", testsupport::besideExecutable(FAKE_RENDERER_A), decl,
       testsupport::besideExecutable(FAKE_RENDERER_A) +
           ": shader library does not export \"miSetModuleHandle\"",
       ""},
      {"version mismatch", testsupport::besideExecutable(VELA_MATTORA_LIBRARY), versionTwo,
       testsupport::besideExecutable(VELA_MATTORA_LIBRARY) +
           ": shader \"vela_mattora\" is version 1 but ",
       "declares version 2"},
  };
  for (const Case& c : cases) {
    const std::string error = loadError(c.path, c.decl);
    EXPECT_EQ(error.rfind(c.startsWith, 0), 0u) << c.what << ": " << error;
    EXPECT_NE(error.find(c.contains), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
  }
}

}  // namespace
