// The host's own records behind the opaque SDK handles.
#pragma once

#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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
  DefaultCall lastDefaultCall = DefaultCall::None;
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

struct PluginRecord;

struct TypeRecord {
  std::string name;
  unsigned id = 0;
  MCreatorFunction creator = nullptr;
  MInitializeFunction initializer = nullptr;
  MPxNode::Type kind = MPxNode::kDependNode;
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
  MStatus::MStatusCode initializeStatus = MStatus::kSuccess;
  MStatus::MStatusCode uninitializeStatus = MStatus::kSuccess;
  MObject object;
};

struct Block {
  const TypeRecord* type = nullptr;
  MPxNode* node = nullptr;
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
std::recursive_mutex& registryMutex();
TypeRecord* registeringType();
bool attributeCallFails(const std::string& name);
std::vector<std::shared_ptr<TypeRecord>>& types();  // under registryMutex
void finishLayout(TypeRecord& type);

}  // namespace mayahost::detail

// The one door from the host's code into the SDK classes' private parts.
class MHostAccess {
 public:
  using AttributeDef = mayahost::detail::AttributeDef;
  static AttributeDef* def(const MObject& o) { return static_cast<AttributeDef*>(o.object_); }
  static void* raw(const MObject& o) { return o.object_; }
  static MObject object(void* p) {
    MObject o;
    o.object_ = p;
    return o;
  }
  static AttributeDef*& current(MFnAttribute& fn) {
    return reinterpret_cast<AttributeDef*&>(fn.attribute_);
  }
  static const AttributeDef* current(const MFnAttribute& fn) {
    return static_cast<const AttributeDef*>(fn.attribute_);
  }
  static MPlug plug(const AttributeDef* a) {
    MPlug p;
    p.attribute_ = const_cast<AttributeDef*>(a);
    return p;
  }
  static const AttributeDef* def(const MPlug& p) {
    return static_cast<AttributeDef*>(p.attribute_);
  }
  static MDataBlock dataBlock(mayahost::detail::Block* b) { return MDataBlock(b); }
  static mayahost::detail::Block* block(const MDataBlock& b) {
    return static_cast<mayahost::detail::Block*>(b.block_);
  }
  static MDataHandle handle(const AttributeDef* a, void* data, mayahost::detail::Block* b) {
    MDataHandle h;
    h.attribute_ = a;
    h.data_ = data;
    h.block_ = b;
    return h;
  }
  static const AttributeDef* def(const MDataHandle& h) {
    return static_cast<const AttributeDef*>(h.attribute_);
  }
  static void* data(const MDataHandle& h) { return h.data_; }
  static mayahost::detail::Block* block(const MDataHandle& h) {
    return static_cast<mayahost::detail::Block*>(h.block_);
  }
  static MArrayDataHandle arrayHandle(const AttributeDef* a, mayahost::detail::Block* b,
                                      unsigned char* elements, unsigned stride, unsigned count,
                                      unsigned reported) {
    MArrayDataHandle h;
    h.attribute_ = a;
    h.block_ = b;
    h.elements_ = elements;
    h.stride_ = stride;
    h.count_ = count;
    h.reportedCount_ = reported;
    return h;
  }
  static bool& mpSafe(MPxNode& n) { return n.mpSafe_; }
  static const AttributeDef* def(const mayahost::Attribute& a) { return a.def_; }
  static mayahost::Attribute attribute(const AttributeDef* d) { return mayahost::Attribute(d); }
  static std::shared_ptr<mayahost::detail::TypeRecord>& type(mayahost::NodeType& t) {
    return t.type_;
  }
  static const std::shared_ptr<mayahost::detail::TypeRecord>& type(const mayahost::NodeType& t) {
    return t.type_;
  }
  static mayahost::detail::Block* block(mayahost::DataBlock& b) { return b.block_.get(); }
};
