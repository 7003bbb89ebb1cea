// The host's driver-facing side: types, attributes, nodes and data blocks.
#include <cstring>

#include "internals.h"
#include "mayahost/host.h"
#include "mayahost/testSwitches.h"
#include "pluginCalls.h"

#if defined(_WIN32)
#include <windows.h>
#else
extern "C" long mayahost_live_objects(void);  // Foundation's count
#endif

#define MAYAHOST_TEXT(x) #x
#define MAYAHOST_VERSION_TEXT(x) MAYAHOST_TEXT(x)

namespace mayahost {

using detail::AttributeDef;
using detail::Block;
using detail::TypeRecord;

const char* kindName(AttributeKind kind) { return detail::kindRecord(kind).name; }

namespace {

void appendDefaults(const AttributeDef* a, std::vector<double>& out) {
  switch (a->kind) {
    case AttributeKind::Float:
      out.push_back(a->defaultFloat);
      break;
    case AttributeKind::Boolean:
      out.push_back(a->defaultBool ? 1.0 : 0.0);
      break;
    case AttributeKind::Address:
      break;
    case AttributeKind::Compound:
    case AttributeKind::LightData:
      for (const AttributeDef* c : a->children) appendDefaults(c, out);
      break;
  }
}

const AttributeDef* findIn(const AttributeDef* a, const std::string& name) {
  if (a->name == name || a->shortName == name) return a;
  for (const AttributeDef* c : a->children)
    if (const AttributeDef* found = findIn(c, name)) return found;
  return nullptr;
}

void markDirty(Block& b, const AttributeDef* a) {
  for (int i : a->dirties) b.dirty[i] = 1;
}

template <typename T>
T* valueOf(Block& b, const AttributeDef* a, AttributeKind kind, unsigned element) {
  if (!a || a->kind != kind) return nullptr;
  return reinterpret_cast<T*>(b.storage(a, element));
}

}  // namespace

const char* apiVersion() { return MAYAHOST_VERSION_TEXT(MAYAHOST_DEVKIT_API); }

long liveObjects() {
#if defined(_WIN32)
  // Foundation.dll is built apart from this library and loaded with the
  // first plug-in.
  HMODULE foundation = GetModuleHandleA("Foundation.dll");
  auto count = foundation ? reinterpret_cast<long (*)()>(reinterpret_cast<void*>(
                                GetProcAddress(foundation, "mayahost_live_objects")))
                          : nullptr;
  return count ? count() : 0;
#else
  return mayahost_live_objects();
#endif
}

std::string Attribute::name() const { return def_ ? def_->name : std::string(); }

AttributeInfo Attribute::info() const {
  AttributeInfo info;
  if (!def_) return info;
  const AttributeDef& a = *def_;
  info.name = a.name;
  info.shortName = a.shortName;
  info.kind = a.kind;
  info.keyable = a.keyable;
  info.storable = a.storable;
  info.readable = a.readable;
  info.writable = a.writable;
  info.hidden = a.hidden;
  info.usedAsColor = a.usedAsColor;
  info.array = a.array;
  info.connectable = a.connectable;
  appendDefaults(&a, info.defaults);
  if (a.kind == AttributeKind::Address) info.defaultAddress = a.defaultAddress;
  if (a.kind == AttributeKind::LightData) info.defaultAddress = a.children[7]->defaultAddress;
  info.min = a.min;
  info.max = a.max;
  info.softMin = a.softMin;
  info.softMax = a.softMax;
  for (const AttributeDef* c : a.children) info.children.push_back(Attribute(c));
  for (const AttributeDef* o : a.affects) info.affects.push_back(Attribute(o));
  return info;
}

std::string NodeType::name() const { return type_->name; }
unsigned NodeType::id() const { return type_->id; }
int NodeType::kind() const { return type_->kind; }
std::optional<std::string> NodeType::classification() const { return type_->classification; }

std::vector<Attribute> NodeType::attributes() const {
  std::vector<Attribute> out;
  for (const AttributeDef* a : type_->topLevel) out.push_back(Attribute(a));
  return out;
}

Attribute NodeType::attribute(const std::string& name) const {
  for (const AttributeDef* a : type_->topLevel)
    if (const AttributeDef* found = findIn(a, name)) return Attribute(found);
  return Attribute();
}

std::vector<std::pair<Attribute, Attribute>> NodeType::affects() const {
  std::vector<std::pair<Attribute, Attribute>> out;
  for (const auto& [in, o] : type_->affects) out.emplace_back(Attribute(in), Attribute(o));
  return out;
}

std::vector<NodeType> registeredTypes() {
  std::lock_guard<std::mutex> lock(detail::registryMutex());
  std::vector<NodeType> out;
  for (const auto& t : detail::types()) {
    NodeType type;
    detail::Access::type(type) = t;
    out.push_back(type);
  }
  return out;
}

std::optional<NodeType> findType(const std::string& name) {
  for (const NodeType& t : registeredTypes())
    if (t.name() == name) return t;
  return std::nullopt;
}

DataBlock::~DataBlock() = default;

bool DataBlock::setFloat(Attribute a, float value, unsigned element) {
  float* v = valueOf<float>(*block_, a.def_, AttributeKind::Float, element);
  if (!v) return false;
  *v = value;
  markDirty(*block_, a.def_);
  return true;
}

bool DataBlock::setBool(Attribute a, bool value, unsigned element) {
  bool* v = valueOf<bool>(*block_, a.def_, AttributeKind::Boolean, element);
  if (!v) return false;
  *v = value;
  markDirty(*block_, a.def_);
  return true;
}

bool DataBlock::setVector(Attribute a, float x, float y, float z, unsigned element) {
  float* v = valueOf<float>(*block_, a.def_, AttributeKind::Compound, element);
  if (!v) return false;
  v[0] = x;
  v[1] = y;
  v[2] = z;
  markDirty(*block_, a.def_);
  return true;
}

bool DataBlock::setAddress(Attribute a, void* value, unsigned element) {
  void** v = valueOf<void*>(*block_, a.def_, AttributeKind::Address, element);
  if (!v) return false;
  *v = value;
  markDirty(*block_, a.def_);
  return true;
}

float DataBlock::getFloat(Attribute a, unsigned element) const {
  const float* v = valueOf<float>(*block_, a.def_, AttributeKind::Float, element);
  return v ? *v : 0.0f;
}

bool DataBlock::getBool(Attribute a, unsigned element) const {
  const bool* v = valueOf<bool>(*block_, a.def_, AttributeKind::Boolean, element);
  return v ? *v : false;
}

Float3 DataBlock::getVector(Attribute a, unsigned element) const {
  const float* v = valueOf<float>(*block_, a.def_, AttributeKind::Compound, element);
  return v ? Float3{v[0], v[1], v[2]} : Float3{0.0f, 0.0f, 0.0f};
}

void* DataBlock::getAddress(Attribute a, unsigned element) const {
  void* const* v = valueOf<void*>(*block_, a.def_, AttributeKind::Address, element);
  return v ? *v : nullptr;
}

bool DataBlock::setElementCount(Attribute array, unsigned count) {
  const AttributeDef* a = array.def_;
  if (!a || !a->array || a->arraySlot < 0 || !block_->holds(a)) return false;
  const TypeRecord::ArrayLayout& layout = block_->type->arrays[a->arraySlot];
  Block::ArrayStore& store = block_->arrays[a->arraySlot];
  const std::size_t words = layout.elementImage.size();
  store.bytes.resize(words * count);
  for (unsigned e = store.count; e < count; ++e)
    std::memcpy(store.bytes.data() + e * words, layout.elementImage.data(),
                words * sizeof(std::uint64_t));
  store.count = count;
  markDirty(*block_, a);
  return true;
}

unsigned DataBlock::elementCount(Attribute array) const {
  const AttributeDef* a = array.def_;
  if (!a || !a->array || a->arraySlot < 0 || !block_->holds(a)) return 0;
  return block_->arrays[a->arraySlot].count;
}

Status::Code DataBlock::request(Attribute plug) {
  if (!block_->holds(plug.def_)) return Status::kInvalidParameter;
  if (!block_->dirty[plug.def_->index]) return Status::kSuccess;
  return compute(plug);
}

Status::Code DataBlock::compute(Attribute plug) {
  if (!block_->holds(plug.def_)) return Status::kInvalidParameter;
  return static_cast<Status::Code>(
      detail::plugin::calls().compute(block_->node, plug.def_, block_.get()));
}

bool DataBlock::isDirty(Attribute a) const {
  return block_->holds(a.def_) && block_->dirty[a.def_->index] != 0;
}

std::vector<unsigned char> DataBlock::snapshot() const {
  const Block& b = *block_;
  auto bytes = [](const std::vector<std::uint64_t>& v) {
    const auto* p = reinterpret_cast<const unsigned char*>(v.data());
    return std::vector<unsigned char>(p, p + v.size() * sizeof(std::uint64_t));
  };
  std::vector<unsigned char> out = bytes(b.values);
  for (const Block::ArrayStore& s : b.arrays) {
    const std::vector<unsigned char> element = bytes(s.bytes);
    out.insert(out.end(), element.begin(), element.end());
  }
  out.insert(out.end(), b.dirty.begin(), b.dirty.end());
  return out;
}

std::unique_ptr<Node> Node::create(const NodeType& type, std::string* error) {
  const std::shared_ptr<TypeRecord>& record = detail::Access::type(type);
  void* made = record && record->creator ? record->creator() : nullptr;
  if (!made) {
    if (error) *error = "the creator of node type \"" + type.name() + "\" returned no node";
    return nullptr;
  }
  const std::string why = detail::plugin::checkNode(record->plugin->library, made, *record);
  if (!why.empty()) {
    detail::plugin::discard(record->plugin->library, made);
    if (error) *error = "node type \"" + type.name() + "\" cannot be used: " + why;
    return nullptr;
  }
  std::unique_ptr<Node> node(new Node());
  node->type_ = type;
  node->instance_ = made;
  node->record_ = static_cast<detail::NodeRecord*>(detail::plugin::calls().nodeRecord(made));
  ++record->liveNodes;
  detail::plugin::calls().postConstructor(made);
  return node;
}

Node::~Node() {
  detail::plugin::calls().destroy(instance_);
  --detail::Access::type(type_)->liveNodes;
}

bool Node::isMPSafe() const { return record_ && record_->mpSafe; }

std::unique_ptr<DataBlock> Node::newDataBlock() const {
  const TypeRecord& t = *detail::Access::type(type_);
  auto block = std::make_unique<Block>();
  block->type = &t;
  block->node = instance_;
  block->values = t.blockImage;
  block->arrays.resize(t.arrays.size());
  // Nothing has been computed yet: every output starts dirty, every input clean.
  block->dirty.assign(t.reachable.size(), 0);
  for (const AttributeDef* a : t.reachable)
    for (int i : a->dirties) block->dirty[i] = 1;
  std::unique_ptr<DataBlock> out(new DataBlock());
  out->block_ = std::move(block);
  return out;
}

void testing::setReportedElementCount(DataBlock& block, Attribute array, long count) {
  Block* b = detail::Access::block(block);
  const AttributeDef* a = detail::Access::def(array);
  if (!a || !a->array || a->arraySlot < 0 || !b->holds(a)) return;
  b->arrays[a->arraySlot].reportedCount = count;
}

}  // namespace mayahost
