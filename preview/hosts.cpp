#include "preview/hosts.h"

#include <unistd.h>

#include <climits>

namespace preview {

bool makeBackends(const Options& options, std::vector<std::unique_ptr<ShadingBackend>>& backends,
                  std::string& error) {
  backends.clear();
  if (options.host != Host::Mentalray) {
#ifdef MATTORA_PREVIEW_WITH_MAYA
    backends.push_back(makeMayaBackend(options));
#else
    error = "the maya host is not part of this build";
    return false;
#endif
  }
  if (options.host != Host::Maya) {
#ifdef MATTORA_PREVIEW_WITH_MENTALRAY
    backends.push_back(makeMentalrayBackend(options));
#else
    error = "the mentalray host is not part of this build";
    return false;
#endif
  }
  return true;
}

std::string rowLabel(const std::string& backendName) {
  if (backendName == "maya") return "Maya: mattora";
  if (backendName == "mentalray") return "mental ray: vela_mattora";
  return backendName;
}

std::string executableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

}  // namespace preview
