#include "hosts/mentalray/shaderLibrary.h"

#include "hosts/mentalray/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace mrhost {
namespace {

#ifdef _WIN32
std::string lastError() { return "error " + std::to_string(GetLastError()); }
void* openLibrary(const std::string& path) { return LoadLibraryA(path.c_str()); }
void* lookUp(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
std::string lastError() {
  const char* message = dlerror();
  return message ? message : "unknown error";
}
void* openLibrary(const std::string& path) {
  dlerror();
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* lookUp(void* handle, const char* name) { return dlsym(handle, name); }
void closeLibrary(void* handle) { dlclose(handle); }
#endif

}  // namespace

void* rendererModule() {
  static void* const handle = [] {
#ifdef _WIN32
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&mi_sample_light), &module);
    return static_cast<void*>(module);
#else
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&mi_sample_light), &info) || !info.dli_fname)
      return static_cast<void*>(nullptr);
    return dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
#endif
  }();
  return handle;
}

ShaderLibrary::ShaderLibrary(const std::string& path, const ShaderDecl& decl) : path_(path) {
  handle_ = openLibrary(path);
  if (!handle_) throw Error(path + ": cannot load shader library: " + lastError());
  auto require = [&](const std::string& name) {
    void* address = lookUp(handle_, name.c_str());
    if (!address) {
      closeLibrary(handle_);
      throw Error(path + ": shader library does not export \"" + name + "\"");
    }
    return address;
  };
  setModuleHandle_ = reinterpret_cast<int (*)(void*)>(require("miSetModuleHandle"));
  auto versionFunction = reinterpret_cast<int (*)(void)>(require(decl.name + "_version"));
  entry_ = reinterpret_cast<Entry>(require(decl.name));

  setModuleHandle_(rendererModule());
  version_ = versionFunction();
  if (version_ != decl.version) {
    closeLibrary(handle_);
    throw Error(path + ": shader \"" + decl.name + "\" is version " + std::to_string(version_) +
                " but " + decl.source + " declares version " + std::to_string(decl.version));
  }
}

ShaderLibrary::~ShaderLibrary() { closeLibrary(handle_); }

void* ShaderLibrary::symbol(const char* name) const { return lookUp(handle_, name); }

}  // namespace mrhost
