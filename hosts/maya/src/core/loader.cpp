// Loading a plug-in file as Maya does: open the library, read MApiVersion,
// call initializePlugin with the plug-in's object; undo it all on unload.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "internals.h"
#include "mayahost/host.h"
#include "pluginCalls.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace mayahost {

namespace {

#if defined(_WIN32)
// Windows refuses a DLL whose imports its DLLs do not all export; Wine loads
// it anyway and fails only when a missing function is called. So the file's
// machine and import table are checked here first, as Windows would.
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

template <typename T>
bool readAt(const std::vector<char>& file, std::size_t offset, T& out) {
  if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, file.data() + offset, sizeof(T));
  return true;
}

// Why the image cannot be resolved here, or an empty string.
std::string unresolvable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  IMAGE_DOS_HEADER dos;
  DWORD signature;
  IMAGE_FILE_HEADER header;
  if (!readAt(file, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
      !readAt(file, dos.e_lfanew, signature) || signature != IMAGE_NT_SIGNATURE ||
      !readAt(file, dos.e_lfanew + 4, header))
    return {};  // not an image at all: LoadLibrary says so
  if (header.Machine != kHostMachine)
    return std::string("it is ") + machineName(header.Machine) + ", and this host loads " +
           machineName(kHostMachine) + "s";
  const std::size_t optional = dos.e_lfanew + 4 + sizeof(IMAGE_FILE_HEADER);
  IMAGE_DATA_DIRECTORY imports{};
  const bool wide = sizeof(void*) == 8;
  const std::size_t directory = optional +
                                (wide ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                      : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory)) +
                                IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof(IMAGE_DATA_DIRECTORY);
  if (!readAt(file, directory, imports) || imports.VirtualAddress == 0) return {};
  const std::size_t sections = optional + header.SizeOfOptionalHeader;
  const auto fileOffset = [&](DWORD rva, std::size_t& out) {
    for (WORD i = 0; i < header.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER s;
      if (!readAt(file, sections + i * sizeof s, s)) return false;
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.SizeOfRawData) {
        out = s.PointerToRawData + (rva - s.VirtualAddress);
        return true;
      }
    }
    return false;
  };
  const auto text = [&](DWORD rva) {
    std::size_t at;
    std::string out;
    if (!fileOffset(rva, at)) return out;
    while (at < file.size() && file[at] && out.size() < 1024) out += file[at++];
    return out;
  };
  std::size_t at;
  if (!fileOffset(imports.VirtualAddress, at)) return "its import table is damaged";
  for (IMAGE_IMPORT_DESCRIPTOR d; readAt(file, at, d) && d.Name; at += sizeof d) {
    const std::string dll = text(d.Name);
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return "it needs " + dll + ", which cannot be loaded here";
    std::string missing;
    std::size_t thunk;
    if (fileOffset(d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk, thunk)) {
      for (;; thunk += wide ? 8 : 4) {
        std::uint64_t entry = 0;
        DWORD narrow = 0;
        if (wide ? !readAt(file, thunk, entry) : !readAt(file, thunk, narrow)) break;
        if (!wide) entry = narrow;
        if (entry == 0) break;
        const bool byOrdinal = wide ? (entry >> 63) != 0 : (entry >> 31) != 0;
        const std::string name = byOrdinal ? std::string() : text(static_cast<DWORD>(entry) + 2);
        const FARPROC found = byOrdinal ? GetProcAddress(module, MAKEINTRESOURCEA(entry & 0xffff))
                                        : GetProcAddress(module, name.c_str());
        if (!found) {
          missing = byOrdinal ? "ordinal " + std::to_string(entry & 0xffff) : name;
          break;
        }
      }
    }
    FreeLibrary(module);
    if (!missing.empty())
      return "it imports " + missing + " from " + dll + ", which does not export it";
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
  record.initializeStatus = detail::plugin::callEntry(initialize, &record);
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
  record_->uninitializeStatus =
      detail::plugin::callEntry(findSymbol(record_->library, kUninitializeName), record_.get());
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
Status::Code Plugin::initializeStatus() const { return record_->initializeStatus; }
Status::Code Plugin::uninitializeStatus() const { return record_->uninitializeStatus; }

std::vector<NodeType> Plugin::types() const {
  std::vector<NodeType> out;
  for (const NodeType& t : registeredTypes())
    if (detail::Access::type(t)->plugin == record_.get()) out.push_back(t);
  return out;
}

}  // namespace mayahost
