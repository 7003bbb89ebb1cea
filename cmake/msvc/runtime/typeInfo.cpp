// type_info, as the compiler's RTTI and libc++'s <typeinfo> expect it.
//
// Each type descriptor the compiler emits starts with the address of the
// virtual table ??_7type_info@@6B@, then a spare pointer, then the decorated
// name (".?AVShape@@"). msvcrt.dll's dynamic_cast and typeid work on those
// descriptors by name; the table itself has to be in the image, because a
// descriptor is constant data and an imported address is only known at load
// time.
#include <cstring>
#include <typeinfo>

namespace {

// The scalar deleting destructor, the table's only slot. Descriptors are
// static data and never deleted.
void* __thiscall destroyTypeInfo(void* self, unsigned) { return self; }

}  // namespace

extern "C" const void* const typeInfoVirtualTable[] __asm__("??_7type_info@@6B@");
extern "C" const void* const typeInfoVirtualTable[] = {
    reinterpret_cast<const void*>(&destroyTypeInfo)};

namespace std {

type_info::~type_info() {}

// The decorated name: undecorating it would need msvcrt.dll's undecorator and
// a cache per type, freed when the DLL is unloaded.
const char* type_info::name() const noexcept { return __data.__decorated_name; }

int type_info::__compare(const type_info& other) const noexcept {
  if (this == &other) return 0;
  return std::strcmp(__data.__decorated_name, other.__data.__decorated_name);
}

size_t type_info::hash_code() const noexcept {
  // FNV-1a over the decorated name, which equal types share across images.
  size_t hash = sizeof(size_t) == 8 ? size_t(14695981039346656037ull) : size_t(2166136261u);
  const size_t prime = sizeof(size_t) == 8 ? size_t(1099511628211ull) : size_t(16777619u);
  for (const char* c = __data.__decorated_name; *c; ++c) {
    hash = (hash ^ static_cast<unsigned char>(*c)) * prime;
  }
  return hash;
}

}  // namespace std
