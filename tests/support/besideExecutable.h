// Tests and benchmarks load built files at run time. They find them by a
// path relative to their own executable, which the build fixes, so no path of
// the build machine ends up in a binary and a build tree can be moved or
// copied and still run them.
#pragma once

#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace testsupport {

// The folder of the running executable, or "." when it cannot be found.
inline std::string executableDirectory() {
#if defined(_WIN32)
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path, length);
  const std::size_t slash = exe.find_last_of("\\/");
#else
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<std::size_t>(length));
  const std::size_t slash = exe.rfind('/');
#endif
  return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

// `relative` is a path from the executable's folder, as the build wrote it.
// The result is absolute, so it stays right for a program run in another
// folder, and free of "..", so it reads as the file's own path in messages.
inline std::string besideExecutable(const char* relative) {
  return std::filesystem::path(executableDirectory() + "/" + relative).lexically_normal().string();
}

}  // namespace testsupport
