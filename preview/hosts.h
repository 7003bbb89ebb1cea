// The hosts the renderer can shade through.
//
// Each host is reached through an adapter in a file of its own in this folder,
// mayaBackend.cpp and mentalrayBackend.cpp, which defines that host's factory
// below and loads the host's plug-in file through that host's stand-in.
#pragma once

#include "preview/backend.h"
#include "preview/options.h"

#include <memory>
#include <string>
#include <vector>

namespace preview {

std::unique_ptr<ShadingBackend> makeMayaBackend(const Options& options);
std::unique_ptr<ShadingBackend> makeMentalrayBackend(const Options& options);

// The backends that `options.host` asks for, in row order (Maya first). On
// failure returns false with one line naming the problem; whatever concerns
// the plug-in files is found by each backend's prepare().
bool makeBackends(const Options& options, std::vector<std::unique_ptr<ShadingBackend>>& backends,
                  std::string& error);

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
