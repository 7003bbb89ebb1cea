// Loading a shader library as the renderer does: open it, hand it the
// renderer module's handle, check its version against the declaration, and
// call its entry per sample.
#pragma once

#include <shader.h>

#include <string>

#include "hosts/mentalray/declaration.h"

// The renderer calls every shader through one generic entry type; each
// library declares its own parameter struct, so the two function types
// differ in that pointer alone, as the shader interface intends. clang's
// function-type check would report every such call, so it is off there.
#if defined(__clang__)
#define MRHOST_GENERIC_SHADER_CALL __attribute__((no_sanitize("function")))
#else
#define MRHOST_GENERIC_SHADER_CALL
#endif

namespace mrhost {

// The handle of the module that exports the renderer functions (this one).
void* rendererModule();

class ShaderLibrary {
 public:
  using Entry = miBoolean (*)(miColor* result, miState* state, void* params);

  // Throws Error with one line naming the file: a missing file, a file that
  // is no library, a missing export, or a version other than the declared.
  ShaderLibrary(const std::string& path, const ShaderDecl& decl);
  ~ShaderLibrary();
  ShaderLibrary(const ShaderLibrary&) = delete;
  ShaderLibrary& operator=(const ShaderLibrary&) = delete;

  MRHOST_GENERIC_SHADER_CALL miBoolean shade(miColor* result, miState* state, void* params) const {
    return entry_(result, state, params);
  }
  Entry entry() const { return entry_; }
  int version() const { return version_; }

  // Hands the library a module handle again, as the renderer does at load.
  int setModuleHandle(void* module) const { return setModuleHandle_(module); }

  // The library's own export of that name, or nullptr.
  void* symbol(const char* name) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  Entry entry_ = nullptr;
  int (*setModuleHandle_)(void*) = nullptr;
  int version_ = 0;
};

}  // namespace mrhost
