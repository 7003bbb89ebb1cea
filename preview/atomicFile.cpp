#include "preview/atomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace preview {

bool writeAtomically(const std::string& path,
                     const std::function<std::string(const std::string& temporary)>& write,
                     std::string& error) {
  auto fail = [&](const std::string& problem) {
    error = "cannot write " + path + ": " + problem;
    return false;
  };
  std::vector<char> name(path.begin(), path.end());
  const char suffix[] = ".tmp-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  const int fd = mkstemp(name.data());
  if (fd < 0) return fail(std::strerror(errno));
  // mkstemp makes the file private to its owner; give it the mode a plain
  // fopen would have.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);

  const std::string temporary = name.data();
  const std::string problem = write(temporary);
  if (!problem.empty()) {
    unlink(temporary.c_str());
    return fail(problem);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    return fail(std::strerror(code));
  }
  return true;
}

}  // namespace preview
