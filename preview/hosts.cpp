#include "preview/hosts.h"

#include <unistd.h>

#include <climits>

namespace preview {

bool makeBackends(const Options& options, std::vector<std::unique_ptr<ShadingBackend>>& backends,
                  std::string& error) {
  backends.clear();
  error.clear();
  if (options.host != Host::Mentalray) backends.push_back(makeMayaBackend(options));
  if (options.host != Host::Maya) backends.push_back(makeMentalrayBackend(options));
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

namespace {

// The build passes each plug-in file's path relative to the executable's
// folder, so the program keeps working when the build tree moves.
std::string besideExecutable(const char* relative) {
  const std::string dir = executableDirectory();
  return dir.empty() ? std::string(relative) : dir + "/" + relative;
}

}  // namespace

std::string mayaPluginPath(const Options& options) {
  if (!options.mayaPlugin.empty()) return options.mayaPlugin;
  return besideExecutable(MATTORA_PREVIEW_MAYA_PLUGIN);
}

std::string mentalrayLibraryPath(const Options& options) {
  if (!options.mentalrayLibrary.empty()) return options.mentalrayLibrary;
  return besideExecutable(MATTORA_PREVIEW_MENTALRAY_LIBRARY);
}

}  // namespace preview
