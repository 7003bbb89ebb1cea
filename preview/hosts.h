// The hosts the renderer can shade through.
//
// Each host is reached through an adapter in a file of its own in this folder,
// mayaBackend.cpp and mentalrayBackend.cpp, which defines that host's factory
// below and loads the host's plug-in file through that host's stand-in.
#pragma once

#include "preview/backend.h"
#include "preview/options.h"
#include "preview/render.h"
#include "preview/summary.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace preview {

// A host's plug-in file, loaded: the backends made from it shade through
// that one library, each render with nodes or a scene of its own, so they may
// render at the same time. The library stays loaded while a backend made
// from it, or the HostLibrary itself, is alive.
class HostLibrary {
 public:
  virtual ~HostLibrary() = default;
  virtual const char* name() const = 0;  // "maya", "mentalray"
  // A backend for one render with `options` (the mental ray path reads its
  // irradiance and texture switches); prepare() sets up its scene.
  virtual std::unique_ptr<ShadingBackend> newBackend(const Options& options) const = 0;
};

// Load a host's plug-in file (the options name it, or the one built beside
// the program), or share the one this process has loaded already: a Maya
// plug-in's initialisation must not run twice while its nodes live. Null and
// one line in `error` when the file cannot be used.
std::shared_ptr<const HostLibrary> loadMayaLibrary(const Options& options, std::string& error);
std::shared_ptr<const HostLibrary> loadMentalrayLibrary(const Options& options, std::string& error);

// For the host paths: the library of `host` loaded from `path` that this
// process still holds, or else the one `load` gives (not kept when null).
std::shared_ptr<const HostLibrary> sharedLibrary(
    const std::string& host, const std::string& path,
    const std::function<std::shared_ptr<const HostLibrary>()>& load);

// Backends that load their plug-in file in prepare(), for one render.
std::unique_ptr<ShadingBackend> makeMayaBackend(const Options& options);
std::unique_ptr<ShadingBackend> makeMentalrayBackend(const Options& options);

// The backends that `options.host` asks for, in row order (Maya first). On
// failure returns false with one line naming the problem; whatever concerns
// the plug-in files is found by each backend's prepare().
bool makeBackends(const Options& options, std::vector<std::unique_ptr<ShadingBackend>>& backends,
                  std::string& error);

// One linear image per host that `options` asks for, in row order, and the
// summary of their runs (all but the wall time).
struct HostRenders {
  std::vector<std::string> hosts;  // each backend's name
  std::vector<LinearImage> images;
  Summary summary;
  bool cancelled = false;  // a render was cancelled: the images are incomplete
};

// Loads and sets up every host before any renders, so that a broken plug-in
// file is reported at once rather than after another host's row; then
// renders `scene` through each in turn. When two hosts rendered, the summary
// compares them unless the options make them differ. onProgress, if given,
// is told which host of how many is rendering; `cancelled` is renderImage's.
// False with one line in `error` when a host cannot be used.
bool renderHosts(const Options& options, const Scene& scene, const RenderSettings& settings,
                 HostRenders& renders, std::string& error,
                 const std::function<void(const std::string& host, int index, int count,
                                          double fraction)>& onProgress = nullptr,
                 const std::function<bool()>& cancelled = nullptr);

// The label over a backend's row in the picture.
std::string rowLabel(const std::string& backendName);

// Folder of the running executable, where the build puts the plug-in files;
// empty if it cannot be found.
std::string executableDirectory();

// The plug-in file each host path loads: the option's path when given,
// otherwise the file the build made, found relative to the executable.
std::string mayaPluginPath(const Options& options);
std::string mentalrayLibraryPath(const Options& options);

}  // namespace preview
