#include "pluginCalls.h"

#if defined(_WIN32)
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "mpxNodeSlots.h"
#endif

namespace mayahost::detail::plugin {

namespace {

const mayahost_calls* gCalls = nullptr;

#if defined(_WIN32)
constexpr bool k64 = sizeof(void*) == 8;
constexpr bool k850 = MAYAHOST_DEVKIT_API >= 850;

// The function a virtual table's entry leads to: an inherited function is
// reached through the plug-in's import thunk, jmp [import address] (FF 25,
// then the address on i686, its offset from the next instruction on x86-64).
const void* through(const void* entry) {
  const auto* code = static_cast<const unsigned char*>(entry);
  if (code[0] != 0xFF || code[1] != 0x25) return entry;
  std::int32_t displacement;
  std::memcpy(&displacement, code + 2, sizeof displacement);
  const auto* slot = k64 ? reinterpret_cast<void* const*>(code + 6 + displacement)
                         : reinterpret_cast<void* const*>(static_cast<std::uintptr_t>(
                               static_cast<std::uint32_t>(displacement)));
  return *slot;
}

HMODULE moduleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<LPCSTR>(address), &module);
  return module;
}

// The plug-in's own code: its destructor and its overrides.
bool isOwn(HMODULE plugin, const void* entry) {
  return moduleOf(entry) == plugin && through(entry) == entry;
}

void* const* tableOf(const void* node) { return *static_cast<void* const* const*>(node); }

// Every slot the node inherits must lead to OpenMaya's function of that
// slot's published name, where Maya will look for it.
std::string tableMismatch(HMODULE plugin, const void* node) {
  HMODULE openMaya = GetModuleHandleA("OpenMaya.dll");
  void* const* table = tableOf(node);
  std::size_t slot = 0;
  for (const PublishedSlot& published : kMPxNodeSlots) {
    if (published.from850 && !k850) continue;
    const char* name = k64 ? published.name64 : published.name32;
    const void* entry = table[slot];
    // The destructor in slot 0 is always the node's own.
    const bool fits =
        isOwn(plugin, entry) ||
        (slot > 0 && through(entry) == reinterpret_cast<void*>(GetProcAddress(openMaya, name)));
    if (!fits)
      return "slot " + std::to_string(slot) + " of its node's virtual table is not " + name +
             " (built against another API version's MPxNode?)";
    ++slot;
  }
  return {};
}
#endif

}  // namespace

#if defined(_WIN32)
std::string prepare() {
  if (gCalls) return {};
  // The host's own libraries stay loaded from the first plug-in on, as Maya's
  // are part of Maya: unloading a plug-in must not take them along.
  HMODULE foundation = LoadLibraryA("Foundation.dll");
  HMODULE openMaya = LoadLibraryA("OpenMaya.dll");
  if (!foundation || !openMaya) return "OpenMaya.dll and Foundation.dll cannot be loaded";
  const auto table = reinterpret_cast<const mayahost_calls* (*)()>(
      reinterpret_cast<void*>(GetProcAddress(openMaya, "mayahost_plugin_calls")));
  if (!table) return "OpenMaya.dll lacks mayahost_plugin_calls";
  gCalls = table();
  return {};
}
#else
std::string prepare() {
  gCalls = mayahost_plugin_calls();
  return {};
}
#endif

const mayahost_calls& calls() { return *gCalls; }

std::string checkNode(void* library, void* node, const TypeRecord& type) {
#if defined(_WIN32)
  if (std::string why = tableMismatch(static_cast<HMODULE>(library), node); !why.empty())
    return why;
#else
  (void)library;
#endif
  if (calls().type(node) != type.kind) return "its type() is not the kind it was registered as";
  if (calls().isAbstractClass(node)) return "it says it is an abstract class";
  return {};
}

void discard(void* library, void* node) {
#if defined(_WIN32)
  if (!isOwn(static_cast<HMODULE>(library), tableOf(node)[0])) return;
#else
  (void)library;
#endif
  calls().destroy(node);
}

}  // namespace mayahost::detail::plugin
