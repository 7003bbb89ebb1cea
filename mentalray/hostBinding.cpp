// Renderer functions are reached through stubs that look each one up by name
// in the module the renderer handed over, once, and keep its address until the
// next miSetModuleHandle. Render threads race on the first lookup without a
// lock; they store the same address, and the atomics make that race defined.

// shader.h declares the renderer functions, and the 3.0 vintage declares them
// DLLIMPORT, which it defines as dllexport on Windows: a definition that sees
// such a declaration is exported, and the stubs must never be. So while the
// header is read here its declarations name other functions, which nothing
// defines; the stubs below are then declared by their definitions alone.
#define mi_phen_eval vela_header_mi_phen_eval
#define mi_sample_light vela_header_mi_sample_light
#define mi_compute_irradiance vela_header_mi_compute_irradiance
#include <shader.h>
#undef mi_phen_eval
#undef mi_sample_light
#undef mi_compute_irradiance

#include "hostBinding.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#if defined(__GLIBC__) && defined(__x86_64__)
// glibc 2.34 moved dlsym into libc under a version of that release, which
// every system the renderer ran on lacks, and kept the original version
// beside it. Binding to the original loads everywhere: older systems find it
// in libdl, which the build therefore names as needed.
__asm__(".symver dlsym,dlsym@GLIBC_2.2.5");
#endif

namespace vela {
namespace {

// Zero-initialised at load, before any code runs: no handle, nothing resolved.
std::atomic<void*> moduleHandle;
std::atomic<void*> hostSlots[kHostSlots];

#ifndef _WIN32
// dlsym has no error number; this is the one GetProcAddress reports for a
// missing name (ERROR_PROC_NOT_FOUND), so the line reads alike on both.
constexpr int kSymbolNotFound = 127;
#endif

void reportLookupFailure(const char* name, void* handle, int error) {
#if UINTPTR_MAX > 0xffffffffu
  // %08x of a 64-bit handle is undefined; show its full width instead.
  std::fprintf(stderr, "dlsym failed on \"%s\" (handle: %08" PRIxPTR " error: %d)\n", name,
               reinterpret_cast<std::uintptr_t>(handle), error);
#else
  std::fprintf(stderr, "dlsym failed on \"%s\" (handle: %08x error: %d)\n", name,
               static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle)), error);
#endif
}

// The lookup by name, made only by the stubs' first calls.
#if defined(__GNUC__)
__attribute__((noinline, cold))
#endif
void* lookUp(int slot, const char* name) {
  void* handle = moduleHandle.load(std::memory_order_acquire);
  if (!handle) std::fputs("DYNLOAD: dl_handle null\n", stderr);
#ifdef _WIN32
  void* address = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
  const int error = address ? 0 : static_cast<int>(GetLastError());
#else
  void* address = dlsym(handle, name);
  const int error = kSymbolNotFound;
#endif
  hostSlots[slot].store(address, std::memory_order_release);
  if (!address) reportLookupFailure(name, handle, error);
  return address;
}

template <typename Function>
Function resolved(int slot) {
  return reinterpret_cast<Function>(hostSlots[slot].load(std::memory_order_acquire));
}

template <typename Function>
Function lookUpFunction(int slot, const char* name) {
  return reinterpret_cast<Function>(lookUp(slot, name));
}

}  // namespace

std::atomic<void*>* hostSlotTable() { return hostSlots; }

}  // namespace vela

extern "C" VELA_EXPORT int miSetModuleHandle(void* module) {
  vela::moduleHandle.store(module, std::memory_order_release);
  for (std::atomic<void*>& slot : vela::hostSlots) slot.store(nullptr, std::memory_order_release);
  return 0;
}

// The stubs carry the renderer functions' own names, so shader code calls them
// as it would call the renderer. They are never exported: an exported
// mi_sample_light here would be bound to the renderer's own by the dynamic
// linker and the lookup would never happen.

// Each stub is split in two so that a resolved call is one load and test of
// its slot and a jump to the renderer: the first call, which looks the name
// up, lives out of line and needs the stack frame that the lookup takes.
#if defined(__GNUC__)
#define VELA_FIRST_CALL __attribute__((noinline, cold))
#else
#define VELA_FIRST_CALL
#endif

namespace {

using PhenEval = void* (*)(miState*, void*);
using SampleLight = miBoolean (*)(miColor*, miVector*, miScalar*, miState*, miTag, miInteger*);
using ComputeIrradiance = miBoolean (*)(miColor*, miState*);

// An unresolved parameter evaluation falls back to the value stored in the block.
VELA_FIRST_CALL void* phenEvalFirst(miState* state, void* param) {
  const auto function = vela::lookUpFunction<PhenEval>(vela::kSlotPhenEval, "mi_phen_eval");
  return function ? function(state, param) : param;
}

// Without the renderer's function a light has no samples.
VELA_FIRST_CALL miBoolean sampleLightFirst(miColor* result, miVector* dir, miScalar* dot_nl,
                                           miState* state, miTag light_inst, miInteger* samples) {
  const auto function =
      vela::lookUpFunction<SampleLight>(vela::kSlotSampleLight, "mi_sample_light");
  return function ? function(result, dir, dot_nl, state, light_inst, samples) : miFALSE;
}

// Without the renderer's function there is no indirect light: black.
VELA_FIRST_CALL miBoolean computeIrradianceFirst(miColor* result, miState* state) {
  const auto function = vela::lookUpFunction<ComputeIrradiance>(vela::kSlotComputeIrradiance,
                                                                "mi_compute_irradiance");
  if (function) return function(result, state);
  result->r = result->g = result->b = result->a = 0.0f;
  return miFALSE;
}

}  // namespace

extern "C" void* mi_phen_eval(miState* state, void* param) {
  if (const auto function = vela::resolved<PhenEval>(vela::kSlotPhenEval))
    return function(state, param);
  return phenEvalFirst(state, param);
}

extern "C" miBoolean mi_sample_light(miColor* result, miVector* dir, miScalar* dot_nl,
                                     miState* state, miTag light_inst, miInteger* samples) {
  if (const auto function = vela::resolved<SampleLight>(vela::kSlotSampleLight))
    return function(result, dir, dot_nl, state, light_inst, samples);
  return sampleLightFirst(result, dir, dot_nl, state, light_inst, samples);
}

extern "C" miBoolean mi_compute_irradiance(miColor* result, miState* state) {
  if (const auto function = vela::resolved<ComputeIrradiance>(vela::kSlotComputeIrradiance))
    return function(result, state);
  return computeIrradianceFirst(result, state);
}
