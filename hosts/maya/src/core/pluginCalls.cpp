#include "pluginCalls.h"

#if !defined(_WIN32)

// Here the host and the plug-in share the compiler's C++ ABI: the calls go
// through the devkit's own declarations.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>

#include "../sdk/hostAccess.h"

// The driver API numbers statuses and node kinds as the devkit does, without
// showing the devkit's classes to its callers.
static_assert(int{mayahost::Status::kSuccess} == int{MStatus::kSuccess} &&
                  int{mayahost::Status::kUnknownParameter} == int{MStatus::kUnknownParameter} &&
                  int{mayahost::Status::kEndOfFile} == int{MStatus::kEndOfFile},
              "mayahost::Status must number codes as MStatus does");
static_assert(mayahost::kDependNode == MPxNode::kDependNode,
              "mayahost::kDependNode must be MPxNode's");

namespace mayahost::detail::plugin {

std::string prepare() { return {}; }

Status::Code callEntry(void* entry, PluginRecord* record) {
  using Entry = MStatus (*)(MObject);
  MObject object;
  MHostAccess::set(object, record, MAYAHOST_OBJECT_PLUGIN);
  return static_cast<Status::Code>(MHostAccess::code(reinterpret_cast<Entry>(entry)(object)));
}

std::string checkNode(void*, void* node, const TypeRecord& type) {
  const MPxNode* n = static_cast<const MPxNode*>(node);
  if (n->type() != type.kind) return "its type() is not the kind it was registered as";
  if (n->isAbstractClass()) return "it says it is an abstract class";
  return {};
}

void discard(void*, void* node) { delete static_cast<MPxNode*>(node); }

void postConstructor(void* node) { static_cast<MPxNode*>(node)->postConstructor(); }

Status::Code compute(void* node, const AttributeDef* plug, Block* block) {
  MDataBlock data = MHostAccess::dataBlock(block);
  const MStatus status = static_cast<MPxNode*>(node)->compute(MHostAccess::plug(plug), data);
  return static_cast<Status::Code>(MHostAccess::code(status));
}

void destroy(void* node) { delete static_cast<MPxNode*>(node); }

}  // namespace mayahost::detail::plugin

#else

// The plug-in's side is in the Microsoft C++ ABI. Member functions take
// `this` in ECX on i686 (thiscall, the callee pops its arguments) and RCX on
// x86-64; a member returning a class returns it through a pointer passed
// right after `this`. A free function returning a class takes that pointer
// first; an MObject argument is built in place on i686's stack and passed as
// the address of a copy on x86-64, and either way the callee destroys it.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace mayahost::detail::plugin {

namespace {

#if defined(_WIN64)
#define MAYAHOST_THISCALL
constexpr bool k64 = true;
#else
#define MAYAHOST_THISCALL __attribute__((thiscall))
constexpr bool k64 = false;
#endif

// MObject's bytes: a pointer and an unsigned short, padded.
struct ObjectBytes {
  void* ptr;
  unsigned short tag;
};

// GCC calls the attribute misplaced on a pointer to a free function, yet
// applies it: `this` goes in ECX and the callee pops the rest.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
using DeletingDestructor = void*(MAYAHOST_THISCALL*)(void* self, unsigned int flags);
using PostConstructor = void(MAYAHOST_THISCALL*)(void* self);
using Compute = void*(MAYAHOST_THISCALL*)(void* self, void* status, const void* plug, void* block);
using TypeQuery = int(MAYAHOST_THISCALL*)(const void* self);
using BoolQuery = bool(MAYAHOST_THISCALL*)(const void* self);
using Constructor = void*(MAYAHOST_THISCALL*)(void* self);
using DataBlockConstructor = void*(MAYAHOST_THISCALL*)(void* self, void* block);
using Destructor = void(MAYAHOST_THISCALL*)(void* self);
#pragma GCC diagnostic pop
#if defined(_WIN64)
using Entry = void* (*)(void* status, ObjectBytes* copy);
#else
using Entry = void*(__cdecl*)(void* status, ObjectBytes object);
#endif

// MPxNode's virtual functions, slot by slot; isPassiveOutput exists from 8.5 on.
struct Slot {
  const char* name32;
  const char* name64;
  bool from850;
};
constexpr Slot kSlots[] = {
    {"??_GMPxNode@@UAEPAXI@Z", "??_GMPxNode@@UEAAPEAXI@Z", false},
    {"?postConstructor@MPxNode@@UAEXXZ", "?postConstructor@MPxNode@@UEAAXXZ", false},
    {"?compute@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AAVMDataBlock@@@Z",
     "?compute@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEAVMDataBlock@@@Z", false},
    {"?getInternalValueInContext@MPxNode@@UAE_NABVMPlug@@AAVMDataHandle@@AAVMDGContext@@@Z",
     "?getInternalValueInContext@MPxNode@@UEAA_NAEBVMPlug@@AEAVMDataHandle@@AEAVMDGContext@@@Z",
     false},
    {"?setInternalValueInContext@MPxNode@@UAE_NABVMPlug@@ABVMDataHandle@@AAVMDGContext@@@Z",
     "?setInternalValueInContext@MPxNode@@UEAA_NAEBVMPlug@@AEBVMDataHandle@@AEAVMDGContext@@@Z",
     false},
    {"?getInternalValue@MPxNode@@UAE_NABVMPlug@@AAVMDataHandle@@@Z",
     "?getInternalValue@MPxNode@@UEAA_NAEBVMPlug@@AEAVMDataHandle@@@Z", false},
    {"?setInternalValue@MPxNode@@UAE_NABVMPlug@@ABVMDataHandle@@@Z",
     "?setInternalValue@MPxNode@@UEAA_NAEBVMPlug@@AEBVMDataHandle@@@Z", false},
    {"?internalArrayCount@MPxNode@@UBEHABVMPlug@@ABVMDGContext@@@Z",
     "?internalArrayCount@MPxNode@@UEBAHAEBVMPlug@@AEBVMDGContext@@@Z", false},
    {"?copyInternalData@MPxNode@@UAEXPAV1@@Z", "?copyInternalData@MPxNode@@UEAAXPEAV1@@Z", false},
    {"?legalConnection@MPxNode@@UBE?AVMStatus@@ABVMPlug@@0_NAA_N@Z",
     "?legalConnection@MPxNode@@UEBA?AVMStatus@@AEBVMPlug@@0_NAEA_N@Z", false},
    {"?legalDisconnection@MPxNode@@UBE?AVMStatus@@ABVMPlug@@0_NAA_N@Z",
     "?legalDisconnection@MPxNode@@UEBA?AVMStatus@@AEBVMPlug@@0_NAEA_N@Z", false},
    {"?setDependentsDirty@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AAVMPlugArray@@@Z",
     "?setDependentsDirty@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEAVMPlugArray@@@Z", false},
    {"?connectionMade@MPxNode@@UAE?AVMStatus@@ABVMPlug@@0_N@Z",
     "?connectionMade@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@0_N@Z", false},
    {"?connectionBroken@MPxNode@@UAE?AVMStatus@@ABVMPlug@@0_N@Z",
     "?connectionBroken@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@0_N@Z", false},
    {"?isPassiveOutput@MPxNode@@UBE_NABVMPlug@@@Z", "?isPassiveOutput@MPxNode@@UEBA_NAEBVMPlug@@@Z",
     true},
    {"?shouldSave@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AA_N@Z",
     "?shouldSave@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEA_N@Z", false},
    {"?passThroughToOne@MPxNode@@UBE?AVMPlug@@ABV2@@Z",
     "?passThroughToOne@MPxNode@@UEBA?AVMPlug@@AEBV2@@Z", false},
    {"?passThroughToMany@MPxNode@@UBE_NABVMPlug@@AAVMPlugArray@@@Z",
     "?passThroughToMany@MPxNode@@UEBA_NAEBVMPlug@@AEAVMPlugArray@@@Z", false},
    {"?type@MPxNode@@UBE?AW4Type@1@XZ", "?type@MPxNode@@UEBA?AW4Type@1@XZ", false},
    {"?isAbstractClass@MPxNode@@UBE_NXZ", "?isAbstractClass@MPxNode@@UEBA_NXZ", false},
};

constexpr bool k850 = MAYAHOST_DEVKIT_API >= 850;

const char* name(const Slot& s) { return k64 ? s.name64 : s.name32; }

struct Functions {
  Constructor objectConstructor = nullptr;
  DataBlockConstructor dataBlockConstructor = nullptr;
  Destructor dataBlockDestructor = nullptr;
  HMODULE openMaya = nullptr;
};
Functions gFunctions;

void* find(HMODULE module, const char* symbol) {
  return reinterpret_cast<void*>(GetProcAddress(module, symbol));
}

// The function an entry of a virtual table leads to: an imported function is
// reached through the importing image's thunk, `jmp [import address]`
// (FF 25, then the slot's absolute address on i686, its offset from the next
// instruction on x86-64).
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

bool inImage(HMODULE module, const void* p) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto* at = static_cast<const unsigned char*>(p);
  return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

}  // namespace

std::string prepare() {
  if (gFunctions.openMaya) return {};
  // The host's own libraries stay loaded from the first plug-in on, as Maya's
  // are part of Maya: unloading a plug-in must not take them along.
  HMODULE foundation = LoadLibraryA("Foundation.dll");
  HMODULE openMaya = LoadLibraryA("OpenMaya.dll");
  if (!foundation || !openMaya) return "OpenMaya.dll and Foundation.dll cannot be loaded";
  Functions f;
  f.openMaya = openMaya;
  f.objectConstructor = reinterpret_cast<Constructor>(
      find(foundation, k64 ? "??0MObject@@QEAA@XZ" : "??0MObject@@QAE@XZ"));
  f.dataBlockConstructor = reinterpret_cast<DataBlockConstructor>(
      find(openMaya, k64 ? "??0MDataBlock@@AEAA@PEAX@Z" : "??0MDataBlock@@AAE@PAX@Z"));
  f.dataBlockDestructor = reinterpret_cast<Destructor>(
      find(openMaya, k64 ? "??1MDataBlock@@UEAA@XZ" : "??1MDataBlock@@UAE@XZ"));
  if (!f.objectConstructor || !f.dataBlockConstructor || !f.dataBlockDestructor)
    return "OpenMaya.dll or Foundation.dll lacks MObject's or MDataBlock's constructors";
  gFunctions = f;
  return {};
}

Status::Code callEntry(void* entry, PluginRecord* record) {
  alignas(void*) unsigned char status[4] = {};
  ObjectBytes object;
  gFunctions.objectConstructor(&object);
  object.ptr = record;
  object.tag = MAYAHOST_OBJECT_PLUGIN;
#if defined(_WIN64)
  reinterpret_cast<Entry>(entry)(status, &object);
#else
  reinterpret_cast<Entry>(entry)(status, object);
#endif
  return static_cast<Status::Code>(status[0]);
}

std::string checkNode(void* library, void* node, const TypeRecord& type) {
  void* const* table = *static_cast<void* const* const*>(node);
  HMODULE plugin = static_cast<HMODULE>(library);
  int slots = 0;
  for (const Slot& s : kSlots) {
    if (s.from850 && !k850) continue;
    const int at = slots++;
    // The plug-in's own functions: its destructor and its overrides.
    if (inImage(plugin, table[at])) continue;
    if (at == 0 || through(table[at]) != find(gFunctions.openMaya, name(s)))
      return "slot " + std::to_string(at) + " of its node's virtual table is not " + name(s) +
             " (built against another API version's MPxNode?)";
  }
  // type() and isAbstractClass() are the table's last two slots.
  const int kind = reinterpret_cast<TypeQuery>(table[slots - 2])(node);
  if (kind != type.kind) return "its type() is not the kind it was registered as";
  if (reinterpret_cast<BoolQuery>(table[slots - 1])(node)) return "it says it is an abstract class";
  return {};
}

void discard(void* library, void* node) {
  void* const* table = *static_cast<void* const* const*>(node);
  if (inImage(static_cast<HMODULE>(library), table[0])) destroy(node);
}

void postConstructor(void* node) {
  void* const* table = *static_cast<void* const* const*>(node);
  reinterpret_cast<PostConstructor>(table[1])(node);
}

Status::Code compute(void* node, const AttributeDef* plug, Block* block) {
  void* const* table = *static_cast<void* const* const*>(node);
  alignas(void*) unsigned char status[4] = {};
  struct {
    const void* ptr;
    bool isNetworked;
  } plugBytes = {plug, false};
  alignas(void*) unsigned char dataBlock[2 * sizeof(void*)];
  gFunctions.dataBlockConstructor(dataBlock, block);
  reinterpret_cast<Compute>(table[2])(node, status, &plugBytes, dataBlock);
  gFunctions.dataBlockDestructor(dataBlock);
  return static_cast<Status::Code>(status[0]);
}

void destroy(void* node) {
  void* const* table = *static_cast<void* const* const*>(node);
  reinterpret_cast<DeletingDestructor>(table[0])(node, 1);
}

}  // namespace mayahost::detail::plugin

#endif
