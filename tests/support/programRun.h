// Runs a built program as a user would, from a folder of the test's choosing,
// and keeps how it ended and what it printed. Its output is captured outside
// that folder, so a test can check that the program itself wrote nothing.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode;  // -1 when the program did not exit normally
  std::string out, err;
};

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A fresh folder under /tmp, removed with all it holds when the test ends.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  bool ok() const { return !path_.empty(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Arguments reach the shell in single quotes, so none may hold one.
inline Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                          const fs::path& workDir) {
  ScratchDir capture("mattora-capture");
  const fs::path out = capture.path() / "out", err = capture.path() / "err";
  std::string command = "cd '" + workDir.string() + "' && '" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

}  // namespace testsupport
