// mayahost given files that are no Maya plug-in: one line on standard error
// that names the file and the problem, a non-zero exit, nothing on standard
// output and nothing written to disk.
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

std::vector<std::string> listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    names.push_back(entry.path().lexically_relative(dir).string());
  std::sort(names.begin(), names.end());
  return names;
}

class MayahostEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    fs::create_directory(dir_ / "inputs");
    std::ofstream(dir_ / "inputs" / "text.so") << "not a library\n";
    std::ofstream(dir_ / "inputs" / "empty.so");
    fs::create_directory(dir_ / "inputs" / "folder.so");
  }

  // Runs in a folder of its own, so anything written there shows.
  Outcome run(const std::string& plugin) {
    fs::create_directory(dir_ / "work");
    return testsupport::runProgram(testsupport::besideExecutable(MAYAHOST_EXE), {plugin},
                                   dir_ / "work");
  }

  testsupport::ScratchDir scratch_{"mattora-mayahost"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(MayahostEdges, FilesThatAreNoPluginGiveOneLineAndFail) {
  struct Case {
    std::string what;
    std::string path;
    std::string problem;
  };
  const fs::path inputs = dir_ / "inputs";
  const std::vector<Case> cases = {
      {"missing file", (inputs / "missing.so").string(), "no such file"},
      {"text file", (inputs / "text.so").string(), "not a loadable library"},
      {"empty file", (inputs / "empty.so").string(), "not a loadable library"},
      {"folder", (inputs / "folder.so").string(), "not a file"},
      {"library without plug-in exports", testsupport::besideExecutable(NO_EXPORTS_LIBRARY),
       "missing exports: _Z16initializePlugin7MObject, _Z18uninitializePlugin7MObject, "
       "MApiVersion"},
      {"plug-in whose entry points have their C names only",
       testsupport::besideExecutable(C_NAMES_ONLY_LIBRARY),
       "missing exports: _Z16initializePlugin7MObject, _Z18uninitializePlugin7MObject)"},
      {"plug-in of another API version", testsupport::besideExecutable(OTHER_API_LIBRARY),
       "built for Maya API \"" OTHER_API_VERSION "\", and this host runs API \"" HOST_API_VERSION
       "\""},
      {"plug-in with an import nothing provides",
       testsupport::besideExecutable(MISSING_IMPORT_LIBRARY), "mattoraTestMissingImport"},
  };
  const std::vector<std::string> before = listing(dir_);
  for (const Case& c : cases) {
    const Outcome r = run(c.path);
    EXPECT_NE(r.exitCode, 0) << c.what;
    EXPECT_EQ(r.err.rfind("mayahost: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find("\"" + c.path + "\""), std::string::npos) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.problem), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_TRUE(fs::is_empty(dir_ / "work")) << c.what << ": something was written";
    fs::remove(dir_ / "work");
    EXPECT_EQ(listing(dir_), before) << c.what;
  }
}

TEST_F(MayahostEdges, TheBuiltPluginLoadsAndExitsZero) {
  const Outcome r = run(testsupport::besideExecutable(MATTORA_PLUGIN));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("node type \"mattora\""), std::string::npos) << r.out;
}

}  // namespace
