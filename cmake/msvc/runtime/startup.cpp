// C++ start-up and shutdown for every image built with this toolchain.
//
// Static destructors are registered with atexit while the initialisers run.
// This atexit is the image's own: a DLL's destructors have to run when the
// DLL is unloaded (FreeLibrary), while its code is still mapped, not at
// process exit as msvcrt.dll's atexit would run them.
#include "startup.h"

#include <atomic>
#include <cstdlib>

extern "C" {
// Every object file that uses floating point refers to this symbol, to pull
// in a runtime's floating-point support; msvcrt.dll needs none, so the
// symbol only has to exist.
int _fltused = 0;
}

namespace {

using Handler = void(__cdecl*)();

// The linker sorts the sections of a group by the name after '$', so the
// compiler's initialisers (.CRT$XCU; those with init_priority, .CRT$XCA00150
// or .CRT$XCT01000, sort before it) land between these two. It may pad with
// zeros, hence the null check.
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) const Handler initialisersBegin = nullptr;
__declspec(allocate(".CRT$XCZ")) const Handler initialisersEnd = nullptr;

struct ExitHandler {
  ExitHandler* next;
  Handler handler;
};

// Function-local statics register their destructors whenever they are first
// reached, from any thread; a lock-free push keeps that safe without a lock
// that would need initialising before the initialisers run.
std::atomic<ExitHandler*> exitHandlers{nullptr};

}  // namespace

extern "C" int __cdecl atexit(Handler handler) {
  auto* entry = static_cast<ExitHandler*>(std::malloc(sizeof(ExitHandler)));
  if (!entry) return -1;
  entry->handler = handler;
  entry->next = exitHandlers.load(std::memory_order_relaxed);
  while (!exitHandlers.compare_exchange_weak(entry->next, entry, std::memory_order_release,
                                             std::memory_order_relaxed)) {
  }
  return 0;
}

namespace msvcrt_startup {

void runInitialisers() {
  // Read through a volatile pointer: the bounds are separate objects, and the
  // compiler may otherwise conclude that nothing lies between them.
  const Handler* const volatile end = &initialisersEnd;
  for (const Handler* entry = &initialisersBegin + 1; entry < end; ++entry) {
    if (*entry) (*entry)();
  }
}

void runExitHandlers() {
  // One at a time, so that a handler registered by a running one (a static
  // first reached from a destructor) still runs before all older ones.
  ExitHandler* entry = exitHandlers.load(std::memory_order_acquire);
  while (entry) {
    if (!exitHandlers.compare_exchange_weak(entry, entry->next, std::memory_order_acquire)) {
      continue;
    }
    entry->handler();
    std::free(entry);
    entry = exitHandlers.load(std::memory_order_acquire);
  }
}

}  // namespace msvcrt_startup
