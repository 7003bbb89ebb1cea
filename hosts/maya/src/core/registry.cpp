// Node types: registration, the attribute initialiser's calls, the layout of
// a type's values, and the command log.
#include <algorithm>
#include <new>
#include <set>

#include "internals.h"
#include "mayahost/testSwitches.h"

namespace mayahost::detail {

namespace {
// The type whose initialiser runs on this thread, from
// mayahost_register_begin to mayahost_register_end. No other thread sees it
// until the end publishes it, so its initialiser's calls need no lock, and
// no lock is held while the plug-in's code runs.
thread_local std::shared_ptr<TypeRecord> tPending;
std::vector<std::string> gFailingAttributes;  // under registryMutex
std::mutex gCommandMutex;
std::vector<Command> gCommands;

std::size_t alignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

// Under registryMutex.
bool isTaken(const std::string& name, unsigned id) {
  for (const auto& t : types())
    if (t->id == id || t->name == name) return true;
  return false;
}

// Children follow one another, so a three-float compound is one MFloatVector.
void place(AttributeDef* a, std::size_t& cursor, const AttributeDef* arrayRoot) {
  const KindRecord& kind = kindRecord(a->kind);
  cursor = alignUp(cursor, kind.alignment);
  a->offset = cursor;
  a->arrayRoot = arrayRoot;
  cursor += kind.size;
  for (AttributeDef* c : a->children) place(c, cursor, arrayRoot);
}

void writeDefaults(const AttributeDef* a, unsigned char* root) {
  unsigned char* at = root + a->offset;
  switch (a->kind) {
    case AttributeKind::Float:
      new (at) float(a->defaultFloat);
      break;
    case AttributeKind::Boolean:
      new (at) bool(a->defaultBool);
      break;
    case AttributeKind::Address:
      new (at) void*(a->defaultAddress);
      break;
    case AttributeKind::Compound:
    case AttributeKind::LightData:
      for (const AttributeDef* c : a->children) writeDefaults(c, root);
      break;
  }
}

void collect(AttributeDef* a, std::vector<AttributeDef*>& out) {
  a->index = static_cast<int>(out.size());
  out.push_back(a);
  for (AttributeDef* c : a->children) collect(c, out);
}

void withFamily(AttributeDef* a, std::set<AttributeDef*>& out) {
  for (AttributeDef* p = a; p; p = p->parent) out.insert(p);
  std::vector<AttributeDef*> stack{a};
  while (!stack.empty()) {
    AttributeDef* d = stack.back();
    stack.pop_back();
    out.insert(d);
    for (AttributeDef* c : d->children) stack.push_back(c);
  }
}

}  // namespace

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}

TypeRecord* registeringType() { return tPending.get(); }

bool attributeCallFails(const std::string& name) {
  std::lock_guard<std::mutex> lock(registryMutex());
  for (const std::string& n : gFailingAttributes)
    if (n == "*" || n == name) return true;
  return false;
}

std::vector<std::shared_ptr<TypeRecord>>& types() {
  static std::vector<std::shared_ptr<TypeRecord>> all;
  return all;
}

void finishLayout(TypeRecord& type) {
  type.reachable.clear();
  for (AttributeDef* a : type.topLevel) collect(a, type.reachable);
  for (AttributeDef* a : type.reachable) a->owner = &type;

  // Setting a value counts as setting its parents and children, and an
  // affected output takes its parents and children along.
  for (AttributeDef* a : type.reachable) {
    std::set<AttributeDef*> touched, dirtied;
    withFamily(a, touched);
    for (AttributeDef* t : touched)
      for (AttributeDef* out : t->affects)
        if (out->index >= 0) withFamily(out, dirtied);
    a->dirties.clear();
    for (AttributeDef* d : dirtied) a->dirties.push_back(d->index);
    std::sort(a->dirties.begin(), a->dirties.end());
  }

  std::size_t cursor = 0;
  for (AttributeDef* a : type.topLevel) {
    if (a->array) {
      std::size_t elementSize = 0;
      place(a, elementSize, a);
      a->offset = 0;
      a->arraySlot = static_cast<int>(type.arrays.size());
      TypeRecord::ArrayLayout layout{a, alignUp(elementSize, alignof(std::uint64_t)), {}};
      layout.elementImage.assign(layout.stride / sizeof(std::uint64_t), 0);
      writeDefaults(a, reinterpret_cast<unsigned char*>(layout.elementImage.data()));
      type.arrays.push_back(std::move(layout));
    } else {
      place(a, cursor, nullptr);
    }
  }
  type.blockImage.assign(alignUp(cursor, sizeof(std::uint64_t)) / sizeof(std::uint64_t), 0);
  for (AttributeDef* a : type.topLevel)
    if (!a->array) writeDefaults(a, reinterpret_cast<unsigned char*>(type.blockImage.data()));
}

}  // namespace mayahost::detail

using mayahost::Status;
using mayahost::detail::AttributeDef;
using mayahost::detail::PluginRecord;
using mayahost::detail::registryMutex;
using mayahost::detail::TypeRecord;

extern "C" {

int mayahost_add_attribute(const void* attribute) {
  TypeRecord* type = mayahost::detail::registeringType();
  auto* a = static_cast<AttributeDef*>(const_cast<void*>(attribute));
  if (!type || !a || a->parent || a->added) return Status::kInvalidParameter;
  a->added = true;
  type->topLevel.push_back(a);
  return Status::kSuccess;
}

int mayahost_attribute_affects(const void* whenChanges, const void* isAffected) {
  TypeRecord* type = mayahost::detail::registeringType();
  auto* in = static_cast<AttributeDef*>(const_cast<void*>(whenChanges));
  auto* out = static_cast<AttributeDef*>(const_cast<void*>(isAffected));
  if (!type || !in || !out) return Status::kInvalidParameter;
  in->affects.push_back(out);
  type->affects.emplace_back(in, out);
  return Status::kSuccess;
}

// The identity is what the plug-in states while it loads; unloading makes a
// function set with the stock defaults.
int mayahost_plugin_identify(void* plugin, const char* vendor, const char* version,
                             const char* requiredApi) {
  std::lock_guard<std::mutex> lock(registryMutex());
  auto* record = static_cast<PluginRecord*>(plugin);
  if (!record) return Status::kInvalidParameter;
  if (record->initializing) {
    record->vendor = vendor ? vendor : "";
    record->version = version ? version : "";
    record->requiredApiVersion = requiredApi ? requiredApi : "";
  }
  return Status::kSuccess;
}

int mayahost_register_begin(void* plugin, const char* typeName, unsigned int typeId,
                            void* (*creator)(void), int nodeKind, const char* classification) {
  // One type at a time per thread: an initialiser does not register another.
  if (!plugin || !creator || !typeName || !*typeName || mayahost::detail::tPending)
    return Status::kInvalidParameter;
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    if (mayahost::detail::isTaken(typeName, typeId)) return Status::kFailure;
  }
  auto record = std::make_shared<TypeRecord>();
  record->name = typeName;
  record->id = typeId;
  record->creator = creator;
  record->kind = nodeKind;
  if (classification) record->classification = classification;
  record->plugin = static_cast<PluginRecord*>(plugin);
  mayahost::detail::tPending = std::move(record);
  return Status::kSuccess;
}

// The type's attributes were collected while its initialiser ran; they are
// published together, under the lock, when it succeeded. Another thread may
// have taken the name or id meanwhile.
int mayahost_register_end(int initializerStatus) {
  const std::shared_ptr<TypeRecord> record = std::move(mayahost::detail::tPending);
  if (!record) return Status::kInvalidParameter;
  if (initializerStatus != Status::kSuccess) return initializerStatus;
  mayahost::detail::finishLayout(*record);
  std::lock_guard<std::mutex> lock(registryMutex());
  if (mayahost::detail::isTaken(record->name, record->id)) return Status::kFailure;
  mayahost::detail::types().push_back(record);
  return Status::kSuccess;
}

int mayahost_deregister(void* plugin, unsigned int typeId) {
  std::lock_guard<std::mutex> lock(registryMutex());
  auto& all = mayahost::detail::types();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if ((*it)->id != typeId) continue;
    if ((*it)->plugin != plugin || (*it)->liveNodes.load() > 0) return Status::kFailure;
    all.erase(it);
    return Status::kSuccess;
  }
  return Status::kFailure;
}

int mayahost_execute_command(const char* command, int display, int undo) {
  std::lock_guard<std::mutex> lock(mayahost::detail::gCommandMutex);
  mayahost::detail::gCommands.push_back({command ? command : "", display != 0, undo != 0});
  return Status::kSuccess;
}

void* mayahost_node_constructed(void) { return new mayahost::detail::NodeRecord(); }

void mayahost_node_destroyed(void* record) {
  delete static_cast<mayahost::detail::NodeRecord*>(record);
}

void mayahost_node_set_mpsafe(void* record, int flag) {
  if (record) static_cast<mayahost::detail::NodeRecord*>(record)->mpSafe = flag != 0;
}

}  // extern "C"

namespace mayahost {

std::vector<Command> commandLog() {
  std::lock_guard<std::mutex> lock(detail::gCommandMutex);
  return detail::gCommands;
}

void clearCommandLog() {
  std::lock_guard<std::mutex> lock(detail::gCommandMutex);
  detail::gCommands.clear();
}

void testing::failAttributeCalls(std::vector<std::string> attributeNames) {
  std::lock_guard<std::mutex> lock(detail::registryMutex());
  detail::gFailingAttributes = std::move(attributeNames);
}

}  // namespace mayahost
