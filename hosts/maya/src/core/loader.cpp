// Loading a plug-in file as Maya does: open the library, read MApiVersion,
// call initializePlugin with the plug-in's object; undo it all on unload.
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "internals.h"
#include "mayahost/host.h"
#include "pluginCalls.h"

#if defined(_WIN32)
#include <windows.h>

#include "peFile.h"
#else
#include <dlfcn.h>
#endif

namespace mayahost {

namespace {

#if defined(_WIN32)
// Windows refuses a DLL whose imports its DLLs do not all export; Wine loads
// it anyway and fails only when a missing function is called. So the file's
// machine and import table are checked here first, as Windows would, against
// the export tables of its DLLs' files: nothing of them runs for it.
constexpr WORD kHostMachine =
    sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

const char* machineName(WORD machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
      return "a 32-bit (i386) DLL";
    case IMAGE_FILE_MACHINE_AMD64:
      return "a 64-bit (x86-64) DLL";
  }
  return "a DLL of another machine";
}

// The file Windows would take an imported DLL from: the module of that name
// already loaded, or the first file of that name on the search path.
std::string fileOf(const std::string& dll) {
  char path[MAX_PATH];
  if (HMODULE loaded = GetModuleHandleA(dll.c_str()))
    return GetModuleFileNameA(loaded, path, MAX_PATH) ? path : "";
  return SearchPathA(nullptr, dll.c_str(), nullptr, MAX_PATH, path, nullptr) ? path : "";
}

// Why the image cannot be resolved here, or an empty string.
std::string unresolvable(const std::string& path) {
  const std::optional<detail::PeFile> image = detail::PeFile::read(path);
  if (!image) return {};  // not an image at all: LoadLibrary says so
  if (image->machine != kHostMachine)
    return std::string("it is ") + machineName(image->machine) + ", and this host loads " +
           machineName(kHostMachine) + "s";
  if (image->importsDamaged) return "its import table is damaged";
  for (const detail::PeFile::Import& from : image->imports) {
    const std::string file = fileOf(from.dll);
    const std::optional<detail::PeFile> dll =
        file.empty() ? std::nullopt : detail::PeFile::read(file);
    if (!dll) return "it needs " + from.dll + ", which cannot be found here";
    for (const std::string& name : from.names)
      if (!dll->exports(name))
        return "it imports " + name + " from " + from.dll + ", which does not export it";
    for (WORD ordinal : from.ordinals)
      if (!dll->exportsOrdinal(ordinal))
        return "it imports ordinal " + std::to_string(ordinal) + " from " + from.dll +
               ", which does not export it";
  }
  return {};
}

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
// dlopen itself refuses another machine's library or an unresolved symbol,
// and says which.
std::string unresolvable(const std::string&) { return {}; }

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

// The names the host looks the entry points up by. Windows Maya asks for the
// plain names a DLL exports; Linux Maya for the C++ names of
// "MStatus initializePlugin(MObject)" and its twin, which is how a plug-in
// there declares them.
#if defined(_WIN32)
constexpr const char* kInitializeName = "initializePlugin";
constexpr const char* kUninitializeName = "uninitializePlugin";
#else
constexpr const char* kInitializeName = "_Z16initializePlugin7MObject";
constexpr const char* kUninitializeName = "_Z18uninitializePlugin7MObject";
#endif

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
  if (const std::string why = unresolvable(path); !why.empty()) {
    fail(error, prefix + why);
    return nullptr;
  }
  std::string why;
  void* library = openLibrary(path, why);
  if (!library) {
    fail(error, prefix + "not a loadable library (" + why + ")");
    return nullptr;
  }
  void* initialize = findSymbol(library, kInitializeName);
  void* uninitialize = findSymbol(library, kUninitializeName);
  auto apiVersion = static_cast<const char*>(findSymbol(library, "MApiVersion"));
  std::string missing;
  for (auto [name, found] : {std::pair<const char*, bool>{kInitializeName, initialize != nullptr},
                             {kUninitializeName, uninitialize != nullptr},
                             {"MApiVersion", apiVersion != nullptr}})
    if (!found) missing += (missing.empty() ? "" : ", ") + std::string(name);
  if (!missing.empty()) {
    closeLibrary(library);
    fail(error, prefix + "not a Maya plug-in (missing exports: " + missing + ")");
    return nullptr;
  }
  // The version text is the plug-in's data: read no further than a version
  // can be long.
  const std::string version(apiVersion, strnlen(apiVersion, 16));
  if (version != mayahost::apiVersion()) {
    closeLibrary(library);
    fail(error, prefix + "built for Maya API \"" + version + "\", and this host runs API \"" +
                    mayahost::apiVersion() + "\"");
    return nullptr;
  }
  if (const std::string absent = detail::plugin::prepare(); !absent.empty()) {
    closeLibrary(library);
    fail(error, prefix + absent);
    return nullptr;
  }

  std::unique_ptr<Plugin> plugin(new Plugin());
  plugin->record_ = std::make_unique<detail::PluginRecord>();
  detail::PluginRecord& record = *plugin->record_;
  record.path = path;
  record.library = library;
  record.apiVersion = version;
  record.initializing = true;
  record.initializeStatus =
      static_cast<Status::Code>(detail::plugin::calls().entry(initialize, &record));
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
    if (detail::Access::type(t)->liveNodes.load() > 0)
      return fail(error, "cannot unload plug-in \"" + path() + "\": nodes of type \"" + t.name() +
                             "\" still exist");
  record_->uninitializeStatus = static_cast<Status::Code>(detail::plugin::calls().entry(
      findSymbol(record_->library, kUninitializeName), record_.get()));
  {
    // Types the plug-in left registered would point into unloaded code.
    std::lock_guard<std::mutex> registry(detail::registryMutex());
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
Status::Code Plugin::initializeStatus() const { return record_->initializeStatus; }
Status::Code Plugin::uninitializeStatus() const { return record_->uninitializeStatus; }

std::vector<NodeType> Plugin::types() const {
  std::vector<NodeType> out;
  for (const NodeType& t : registeredTypes())
    if (detail::Access::type(t)->plugin == record_.get()) out.push_back(t);
  return out;
}

}  // namespace mayahost
