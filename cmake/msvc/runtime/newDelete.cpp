// The forms of operator new and delete that msvcrt.dll lacks. The plain ones
// (new, delete, new[], delete[]) are its own: an image and msvcrt.dll share
// one heap, so memory may cross between DLLs of this toolchain.
//
// Like msvcrt.dll's operator new, the aligned one returns null when memory
// runs out; nothing is thrown in this toolchain.
#include <cstdlib>
#include <new>

void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { ::operator delete[](p); }

// Over-aligned types (alignas beyond 8 on i686, 16 on x86-64). Their memory
// comes from _aligned_malloc and must go back through _aligned_free, never
// free.
void* operator new(std::size_t size, std::align_val_t alignment) {
  return _aligned_malloc(size ? size : 1, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return ::operator new(size, alignment);
}
void operator delete(void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { _aligned_free(p); }
