// Runs the mattora-preview program as a user would.
#include <gtest/gtest.h>

#include "support/programRun.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/besideExecutable.h"

namespace fs = std::filesystem;

namespace {

using testsupport::Outcome;

class Program : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_.ok()); }

  Outcome run(const std::vector<std::string>& args) {
    return testsupport::runProgram(testsupport::besideExecutable(MATTORA_PREVIEW_EXE), args, dir_);
  }

  testsupport::ScratchDir scratch_{"mattora-cli"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(Program, BadInputGivesOneLineAndExitCodeTwoAndWritesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {"unknown option", {"--frobnicate"}, "unknown option '--frobnicate'"},
      {"impossible size", {"--size", "0x0"}, "--size '0x0'"},
      {"size too large", {"--size", "100000x100000"}, "--size '100000x100000'"},
      {"unparsable roughness list", {"--roughness", "0,rough,1"}, "'rough' is not a finite number"},
      {"missing value", {"--spp"}, "--spp needs a value"},
      {"output that is not a PNG", {"--output", "x.jpg"}, "--output 'x.jpg'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--output", "picture.png"});
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 2) << c.name;
    EXPECT_EQ(r.err.rfind("mattora-preview: ", 0), 0u) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << c.name;
    EXPECT_TRUE(fs::is_empty(dir_)) << c.name << ": something was written";
  }
}

// Each host's plug-in file is checked before anything renders; a problem with
// it is one line, exit code 1 and no picture.
TEST_F(Program, PluginFileProblemsGiveOneLineAndExitCodeOne) {
  // Libraries for the wrong host, each under the name the other expects, in
  // a folder of their own (with the declaration the mental ray path reads).
  char pattern[] = "/tmp/mattora-cli-plugins-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path plugins = pattern;
  fs::copy_file(testsupport::besideExecutable(MATTORA_PLUGIN_PATH), plugins / "vela_mattora.so");
  fs::copy_file(fs::path(testsupport::besideExecutable(VELA_MATTORA_LIBRARY)).parent_path() /
                    "vela_mattora.mi",
                plugins / "vela_mattora.mi");
  std::ofstream(plugins / "text.so") << "not a library\n";
  const std::string wrongShader = (plugins / "vela_mattora.so").string();
  const std::string text = (plugins / "text.so").string();

  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {"missing Maya plug-in", {"--maya-plugin", "missing.so"}, "\"missing.so\": no such file"},
      {"Maya plug-in without the plug-in exports",
       {"--maya-plugin", testsupport::besideExecutable(VELA_MATTORA_LIBRARY)},
       "not a Maya plug-in (missing exports"},
      {"Maya plug-in that is no library", {"--maya-plugin", text}, "not a loadable library"},
      {"missing shader library",
       {"--host", "mentalray", "--mentalray-library", "missing.so"},
       "\"missing.so\": no such file"},
      {"shader library without the shader's exports",
       {"--host", "mentalray", "--mentalray-library", wrongShader},
       "does not export \"miSetModuleHandle\""},
      {"shader library that is no library",
       {"--mentalray-library", text},
       "cannot load shader library"},
      {"shader library without its declaration beside it",
       {"--mentalray-library", testsupport::besideExecutable(MATTORA_PLUGIN_PATH)},
       "vela_mattora.mi: cannot open the shader declaration"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--size", "48x16", "--output", "picture.png"});
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_EQ(r.err.rfind("mattora-preview: ", 0), 0u) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << c.name;
    EXPECT_TRUE(fs::is_empty(dir_)) << c.name << ": something was written";
  }
  fs::remove_all(plugins);
}

// The plug-in files are found beside the program wherever it is run from.
TEST_F(Program, DefaultRunRendersBothHostsAndFindsThemInAgreement) {
  const Outcome r = run({"--size", "96x24", "--spp", "1", "--output", "picture.png"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_EQ(r.out.rfind("wrote picture.png\n", 0), 0u) << r.out;
  EXPECT_TRUE(fs::is_regular_file(dir_ / "picture.png"));
  const std::string marker = "max |maya - mentalray| = ";
  const size_t at = r.out.find(marker);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_LE(std::stod(r.out.substr(at + marker.size())), 1e-5) << r.out;
}

TEST_F(Program, HelpListsEveryOptionOnStandardOutput) {
  const Outcome r = run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.err.empty());
  for (const char* option :
       {"--host maya|mentalray|both", "--roughness", "--color", "--diffuse", "--translucence",
        "--lights", "--size", "--spp", "--threads", "--output", "--irradiance", "--texture",
        "all cores", "--export mel|mi FILE", "--maya-plugin", "--mentalray-library"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

}  // namespace
