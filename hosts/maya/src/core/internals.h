// The host's own records behind the opaque handles that OpenMaya's classes
// carry across the boundary of hostCore.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hostCore.h"
#include "mayahost/host.h"

namespace mayahost::detail {

struct TypeRecord;

struct AttributeDef {
  std::string name, shortName;
  AttributeKind kind = AttributeKind::Float;
  bool keyable = false, storable = true, readable = true, writable = true, hidden = false,
       usedAsColor = false, array = false, connectable = true;
  float defaultFloat = 0.0f;
  bool defaultBool = false;
  void* defaultAddress = nullptr;
  std::optional<double> min, max, softMin, softMax;
  std::vector<AttributeDef*> children;
  AttributeDef* parent = nullptr;
  std::vector<AttributeDef*> affects;
  bool added = false;

  // Fixed when the type's registration ends.
  const TypeRecord* owner = nullptr;        // the type whose blocks hold its value
  int index = -1;                           // slot of its dirty mark
  std::size_t offset = 0;                   // within its root: the block, or one array element
  const AttributeDef* arrayRoot = nullptr;  // the array attribute it lies in, if any
  int arraySlot = -1;                       // for an array attribute: which of the block's arrays
  std::vector<int> dirties;                 // dirty marks to set when this value is set
};

// What each kind of value is to the host: its number in hostCore.h, its name
// in listings, and how one value is stored in a block (size 0: the value is
// its children's, laid out one after another).
struct KindRecord {
  AttributeKind kind;
  int code;
  const char* name;
  std::size_t size, alignment;
};
inline constexpr KindRecord kKinds[] = {
    {AttributeKind::Float, MAYAHOST_KIND_FLOAT, "float", sizeof(float), alignof(float)},
    {AttributeKind::Boolean, MAYAHOST_KIND_BOOLEAN, "bool", sizeof(bool), alignof(bool)},
    {AttributeKind::Compound, MAYAHOST_KIND_COMPOUND, "float3", 0, alignof(float)},
    {AttributeKind::Address, MAYAHOST_KIND_ADDRESS, "addr", sizeof(void*), alignof(void*)},
    {AttributeKind::LightData, MAYAHOST_KIND_LIGHTDATA, "lightData", 0, alignof(void*)},
};

constexpr const KindRecord& kindRecord(AttributeKind kind) {
  return kKinds[static_cast<int>(kind)];
}
constexpr bool kindsInOrder() {
  for (const KindRecord& k : kKinds)
    if (&kindRecord(k.kind) != &k) return false;
  return true;
}
static_assert(kindsInOrder(), "kKinds must list the kinds in AttributeKind's order");

struct PluginRecord;

struct TypeRecord {
  std::string name;
  unsigned id = 0;
  void* (*creator)() = nullptr;
  int kind = kDependNode;
  std::optional<std::string> classification;
  PluginRecord* plugin = nullptr;

  std::vector<std::unique_ptr<AttributeDef>> owned;  // creation order
  std::vector<AttributeDef*> topLevel;               // add order
  std::vector<std::pair<AttributeDef*, AttributeDef*>> affects;
  std::vector<AttributeDef*> reachable;  // by index

  struct ArrayLayout {
    const AttributeDef* attribute;
    std::size_t stride;
    std::vector<std::uint64_t> elementImage;  // one element at its defaults
  };
  std::vector<std::uint64_t> blockImage;  // every non-array value at its default
  std::vector<ArrayLayout> arrays;
  std::atomic<int> liveNodes{0};
};

struct PluginRecord {
  std::string path;
  void* library = nullptr;
  std::string apiVersion;
  std::string vendor, version, requiredApiVersion;
  bool initializing = false;
  Status::Code initializeStatus = Status::kSuccess;
  Status::Code uninitializeStatus = Status::kSuccess;
};

// What the host knows of one node, made by MPxNode's constructor.
struct NodeRecord {
  std::atomic<bool> mpSafe{false};
};

struct Block {
  const TypeRecord* type = nullptr;
  void* node = nullptr;  // the plug-in's MPxNode
  std::vector<std::uint64_t> values;
  struct ArrayStore {
    std::vector<std::uint64_t> bytes;
    unsigned count = 0;
    long reportedCount = -1;
  };
  std::vector<ArrayStore> arrays;
  std::vector<unsigned char> dirty;
  // What handles that designate nothing hand out, zeroed each time.
  alignas(16) unsigned char scratch[64];

  // An attribute of this block's type.
  bool holds(const AttributeDef* a) const { return a && a->owner == type && type; }
  unsigned char* storage(const AttributeDef* a, unsigned element);
};

// Registration state shared by the SDK calls that run inside initializers.
std::mutex& registryMutex();
TypeRecord* registeringType();  // on this thread, while an initialiser runs
bool attributeCallFails(const std::string& name);
std::vector<std::shared_ptr<TypeRecord>>& types();  // under registryMutex
void finishLayout(TypeRecord& type);

// The one door into the driver API's private parts.
struct Access {
  static const AttributeDef* def(const Attribute& a) { return a.def_; }
  static Attribute attribute(const AttributeDef* d) { return Attribute(d); }
  static std::shared_ptr<TypeRecord>& type(NodeType& t) { return t.type_; }
  static const std::shared_ptr<TypeRecord>& type(const NodeType& t) { return t.type_; }
  static Block* block(DataBlock& b) { return b.block_.get(); }
};

}  // namespace mayahost::detail
