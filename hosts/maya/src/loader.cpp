// Loading a plug-in file as Maya does: open the library, read MApiVersion,
// call initializePlugin with the plug-in's object; undo it all on unload.
#include <filesystem>
#include <system_error>

#include "hostInternals.h"
#include "mayahost/host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace mayahost {

namespace {

using EntryPoint = MStatus (*)(MObject);

#if defined(_WIN32)
void* openLibrary(const std::string& path, std::string& why) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) why = "error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(module);
}
void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
#else
void* openLibrary(const std::string& path, std::string& why) {
  // A bare file name would send dlopen searching the library path instead.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* text = dlerror();
    why = text ? text : "unknown error";
  }
  return library;
}
void* findSymbol(void* library, const char* name) { return dlsym(library, name); }
void closeLibrary(void* library) { dlclose(library); }
#endif

// Messages are one line whatever the system's error text holds.
std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

bool fail(std::string* error, const std::string& text) {
  if (error) *error = oneLine(text);
  return false;
}

std::mutex gLoaderMutex;

}  // namespace

std::unique_ptr<Plugin> Plugin::load(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> lock(gLoaderMutex);
  const std::string prefix = "cannot load plug-in \"" + path + "\": ";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    fail(error, prefix + (std::filesystem::exists(path, ec) ? "not a file" : "no such file"));
    return nullptr;
  }
  std::string why;
  void* library = openLibrary(path, why);
  if (!library) {
    fail(error, prefix + "not a loadable library (" + why + ")");
    return nullptr;
  }
  auto initialize = reinterpret_cast<EntryPoint>(findSymbol(library, "initializePlugin"));
  auto uninitialize = reinterpret_cast<EntryPoint>(findSymbol(library, "uninitializePlugin"));
  auto apiVersion = static_cast<const char*>(findSymbol(library, "MApiVersion"));
  std::string missing;
  for (auto [name, found] :
       {std::pair<const char*, bool>{"initializePlugin", initialize != nullptr},
        {"uninitializePlugin", uninitialize != nullptr},
        {"MApiVersion", apiVersion != nullptr}})
    if (!found) missing += (missing.empty() ? "" : ", ") + std::string(name);
  if (!missing.empty()) {
    closeLibrary(library);
    fail(error, prefix + "not a Maya plug-in (missing exports: " + missing + ")");
    return nullptr;
  }

  std::unique_ptr<Plugin> plugin(new Plugin());
  plugin->record_ = std::make_unique<detail::PluginRecord>();
  detail::PluginRecord& record = *plugin->record_;
  record.path = path;
  record.library = library;
  record.apiVersion = apiVersion;
  record.object = MHostAccess::object(&record);
  record.initializing = true;
  record.initializeStatus = initialize(record.object).statusCode();
  record.initializing = false;
  return plugin;
}

Plugin::~Plugin() {
  if (loaded()) unload(nullptr);
}

bool Plugin::loaded() const { return record_ && record_->library; }

bool Plugin::unload(std::string* error) {
  std::lock_guard<std::mutex> lock(gLoaderMutex);
  if (!loaded()) return fail(error, "plug-in \"" + path() + "\" is not loaded");
  for (const NodeType& t : types())
    if (MHostAccess::type(t)->liveNodes.load() > 0)
      return fail(error, "cannot unload plug-in \"" + path() + "\": nodes of type \"" + t.name() +
                             "\" still exist");
  auto uninitialize =
      reinterpret_cast<EntryPoint>(findSymbol(record_->library, "uninitializePlugin"));
  record_->uninitializeStatus = uninitialize(record_->object).statusCode();
  {
    // Types the plug-in left registered would point into unloaded code.
    std::lock_guard<std::recursive_mutex> registry(detail::registryMutex());
    auto& all = detail::types();
    for (auto it = all.begin(); it != all.end();)
      it = (*it)->plugin == record_.get() ? all.erase(it) : it + 1;
  }
  closeLibrary(record_->library);
  record_->library = nullptr;
  return true;
}

const std::string& Plugin::path() const { return record_->path; }
std::string Plugin::apiVersion() const { return record_->apiVersion; }
std::string Plugin::vendor() const { return record_->vendor; }
std::string Plugin::version() const { return record_->version; }
std::string Plugin::requiredApiVersion() const { return record_->requiredApiVersion; }
MStatus::MStatusCode Plugin::initializeStatus() const { return record_->initializeStatus; }
MStatus::MStatusCode Plugin::uninitializeStatus() const { return record_->uninitializeStatus; }

std::vector<NodeType> Plugin::types() const {
  std::vector<NodeType> out;
  for (const NodeType& t : registeredTypes())
    if (MHostAccess::type(t)->plugin == record_.get()) out.push_back(t);
  return out;
}

}  // namespace mayahost
