// The library's binding to the renderer that loaded it: the renderer's module
// handle and the table of renderer functions looked up by name in it. The
// stubs named after the renderer functions (declared in <shader.h>) read the
// table; none of this is exported.
#pragma once

#include <shader.h>

#include <atomic>

#include "velaExport.h"

namespace vela {

constexpr int kHostSlots = 500;

constexpr int kSlotComputeIrradiance = 50;
constexpr int kSlotSampleLight = 85;
constexpr int kSlotPhenEval = 91;

// The table, for code that checks which slots the stubs use.
std::atomic<void*>* hostSlotTable();

}  // namespace vela

extern "C" VELA_EXPORT int miSetModuleHandle(void* module);
