#include "support/allocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

// Under AddressSanitizer or ThreadSanitizer the runtime owns malloc. gcc
// names such a build with __SANITIZE_*__, clang (before 15) only through
// __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ALLOCATION_COUNTER_UNDER_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || \
    defined(ALLOCATION_COUNTER_UNDER_SANITIZER)
#define ALLOCATION_COUNTER_REPLACES 0
#elif defined(__GLIBC__)
#define ALLOCATION_COUNTER_REPLACES 1
#else
#define ALLOCATION_COUNTER_REPLACES 0
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

#if ALLOCATION_COUNTER_REPLACES
void count() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
}
#endif
}  // namespace

namespace allocationcounter {

bool available() { return ALLOCATION_COUNTER_REPLACES != 0; }

void start() {
  allocations = 0;
  counting = true;
}

long stop() {
  counting = false;
  return allocations.load();
}

}  // namespace allocationcounter

#if ALLOCATION_COUNTER_REPLACES
// glibc's own entry points, which the replacements forward to. Defined in
// the executable, the replacements are what every loaded library calls too.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);

extern "C" void* malloc(std::size_t size) {
  count();
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
  count();
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* block, std::size_t size) {
  count();
  return __libc_realloc(block, size);
}
extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) {
  count();
  return __libc_memalign(alignment, size);
}
extern "C" void* memalign(std::size_t alignment, std::size_t size) {
  count();
  return __libc_memalign(alignment, size);
}
extern "C" int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
    return EINVAL;
  count();
  void* block = __libc_memalign(alignment, size);
  if (!block) return ENOMEM;
  *out = block;
  return 0;
}
#endif
