// mattora-preview given a shader library whose declaration does not fit it,
// and file names no terminal line can hold: one line on stderr naming the
// problem, exit code 1, nothing on stdout and no picture, whole or partial.
#include <gtest/gtest.h>

#include "support/programRun.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/besideExecutable.h"

namespace fs = std::filesystem;

namespace {

using testsupport::Outcome;

class PreviewEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    fs::create_directory(dir_ / "work");
  }

  // A folder holding the built shader library beside the given declaration.
  std::string libraryWithDeclaration(const std::string& name, const std::string& declaration) {
    const fs::path folder = dir_ / name;
    fs::create_directory(folder);
    fs::copy_file(testsupport::besideExecutable(VELA_MATTORA_LIBRARY), folder / "vela_mattora.so");
    std::ofstream(folder / "vela_mattora.mi", std::ios::binary) << declaration;
    return (folder / "vela_mattora.so").string();
  }

  Outcome run(std::vector<std::string> args) {
    args.insert(args.end(), {"--size", "48x16", "--spp", "1", "--output", "picture.png"});
    return testsupport::runProgram(testsupport::besideExecutable(MATTORA_PREVIEW_EXE), args,
                                   dir_ / "work");
  }

  testsupport::ScratchDir scratch_{"mattora-preview-edges"};
  const fs::path& dir_ = scratch_.path();
};

const std::string kDeclarationOfVersion2 =
    "declare shader color \"vela_mattora\" (\n"
    "  color \"color\", color \"ambientColor\", color \"incandescence\", vector \"normalOffset\",\n"
    "  scalar \"diffuse\", scalar \"roughness\", boolean \"irradiance\",\n"
    "  color \"irradianceColor\", array light \"light\" )\n"
    "  version 2\n"
    "end declare\n";

TEST_F(PreviewEdges, DeclarationsThatDoNotFitTheLibraryGiveOneLineAndExitCodeOne) {
  struct Case {
    std::string what;
    std::string library;
    std::string mentions;
  };
  const std::vector<Case> cases = {
      {"declaration of another version", libraryWithDeclaration("version", kDeclarationOfVersion2),
       "is version 1 but"},
      {"declaration of another shader",
       libraryWithDeclaration("other",
                              "declare shader color \"other\" ( scalar \"s\" )\n"
                              "version 1 end declare\n"),
       "no shader \"vela_mattora\" is declared"},
      {"declaration without the parameters the shader takes",
       libraryWithDeclaration("short",
                              "declare shader color \"vela_mattora\" (\n"
                              "  color \"color\" ) version 1 end declare\n"),
       "has no parameter"},
      {"declaration that is not one", libraryWithDeclaration("garbage", "\x7f\x45LF\n"),
       "vela_mattora.mi:1: unexpected character '\\x7f'"},
      {"empty declaration", libraryWithDeclaration("empty", ""),
       "no shader \"vela_mattora\" is declared"},
      {"shader library path holding a line break", (dir_ / "two\nlines.so").string(),
       "no such file"},
  };
  for (const Case& c : cases) {
    const Outcome r = run({"--host", "mentalray", "--mentalray-library", c.library});
    EXPECT_EQ(r.exitCode, 1) << c.what;
    EXPECT_EQ(r.err.rfind("mattora-preview: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_TRUE(fs::is_empty(dir_ / "work")) << c.what << ": something was written";
  }
}

TEST_F(PreviewEdges, MayaPluginPathHoldingALineBreakGivesOneLine) {
  const Outcome r = run({"--host", "maya", "--maya-plugin", (dir_ / "two\nlines.so").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(dir_ / "work"));
}

// Under the tsan preset a data race in either deliverable, either stand-in
// host or the renderer's threads makes the program exit 66 with a report.
TEST_F(PreviewEdges, ThreadedRenderThroughBothHostsIsCleanAndComplete) {
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  const Outcome r = run({"--host", "both", "--threads", std::to_string(2 * cores), "--irradiance",
                         "--texture", "--lights", "studio"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::is_regular_file(dir_ / "work" / "picture.png"));
}

}  // namespace
