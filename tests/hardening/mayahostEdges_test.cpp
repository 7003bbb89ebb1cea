// mayahost given files that are no Maya plug-in: one line on standard error
// that names the file and the problem, a non-zero exit, nothing on standard
// output and nothing written to disk.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int exitCode;
  std::string out, err;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

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
    char pattern[] = "/tmp/mattora-mayahost-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ / "inputs");
    std::ofstream(dir_ / "inputs" / "text.so") << "not a library\n";
    std::ofstream(dir_ / "inputs" / "empty.so");
    fs::create_directory(dir_ / "inputs" / "folder.so");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs in a folder of its own, so anything written there shows.
  Outcome run(const std::string& plugin) {
    fs::create_directory(dir_ / "work");
    const std::string command = "cd '" + (dir_ / "work").string() + "' && '" MAYAHOST_EXE "' '" +
                                plugin + "' >'" + (dir_ / "out").string() + "' 2>'" +
                                (dir_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    Outcome r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir_ / "out"),
              readFile(dir_ / "err")};
    fs::remove(dir_ / "out");
    fs::remove(dir_ / "err");
    return r;
  }

  fs::path dir_;
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
      {"library without plug-in exports", NO_EXPORTS_LIBRARY,
       "missing exports: initializePlugin, uninitializePlugin, MApiVersion"},
      {"library with initializePlugin alone", INITIALIZE_ONLY_LIBRARY,
       "missing exports: uninitializePlugin, MApiVersion"},
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
  const Outcome r = run(MATTORA_PLUGIN);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("node type \"mattora\""), std::string::npos) << r.out;
}

}  // namespace
