#include "preview/hosts.h"

#include "preview/picture.h"

#include <unistd.h>

#include <climits>
#include <map>
#include <mutex>
#include <utility>

namespace preview {

std::shared_ptr<const HostLibrary> sharedLibrary(
    const std::string& host, const std::string& path,
    const std::function<std::shared_ptr<const HostLibrary>()>& load) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, std::string>, std::weak_ptr<const HostLibrary>> loaded;
  const std::lock_guard<std::mutex> lock(mutex);
  const std::pair<std::string, std::string> key{host, path};
  if (std::shared_ptr<const HostLibrary> library = loaded[key].lock()) return library;
  std::shared_ptr<const HostLibrary> library = load();
  if (library)
    loaded[key] = library;
  else
    loaded.erase(key);
  return library;
}

bool makeBackends(const Options& options, std::vector<std::unique_ptr<ShadingBackend>>& backends,
                  std::string& error) {
  backends.clear();
  error.clear();
  if (options.host != Host::Mentalray) backends.push_back(makeMayaBackend(options));
  if (options.host != Host::Maya) backends.push_back(makeMentalrayBackend(options));
  return true;
}

bool renderHosts(const Options& options, const Scene& scene, const RenderSettings& settings,
                 HostRenders& renders, std::string& error,
                 const std::function<void(const std::string&, int, int, double)>& onProgress,
                 const std::function<bool()>& cancelled) {
  renders = HostRenders{};
  std::vector<std::unique_ptr<ShadingBackend>> backends;
  if (!makeBackends(options, backends, error)) return false;
  for (const auto& backend : backends)
    if (!backend->prepare(scene, error)) return false;

  Summary& summary = renders.summary;
  summary.width = options.width;
  summary.height = options.height;
  summary.samplesPerPixel = settings.samplesPerPixel;
  summary.threads = settings.threads;
  renders.images.resize(backends.size());
  const int count = static_cast<int>(backends.size());
  for (int i = 0; i < count; ++i) {
    const std::string name = backends[static_cast<size_t>(i)]->name();
    std::function<void(double)> progress;
    if (onProgress) progress = [&, i](double fraction) { onProgress(name, i, count, fraction); };
    const RenderStats stats =
        renderImage(scene, *backends[static_cast<size_t>(i)], settings,
                    renders.images[static_cast<size_t>(i)], progress, cancelled);
    renders.hosts.push_back(name);
    summary.runs.push_back(HostRun{name, stats});
    if (stats.cancelled) {
      renders.cancelled = true;
      return true;
    }
  }
  if (count == 2) {
    summary.notCompared = whyHostsDiffer(options);
    summary.compared = summary.notCompared.empty();
    if (summary.compared)
      summary.maxDifference = maxAbsDifference(renders.images[0], renders.images[1]);
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
