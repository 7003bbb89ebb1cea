// Node types: registration, the attribute initialiser's calls, the layout of
// a type's values, and the command log.
#include <algorithm>
#include <new>
#include <set>

#include "internals.h"
#include "mayahost/testSwitches.h"

namespace mayahost::detail {

namespace {
// The type whose initialiser runs, from mayahost_register_begin to
// mayahost_register_end, with the registry locked by the registering thread.
std::shared_ptr<TypeRecord> gPending;
std::vector<std::string> gFailingAttributes;  // under registryMutex
std::mutex gCommandMutex;
std::vector<Command> gCommands;

std::size_t alignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

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

std::recursive_mutex& registryMutex() {
  static std::recursive_mutex m;
  return m;
}

TypeRecord* registeringType() { return gPending.get(); }

bool attributeCallFails(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
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
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  TypeRecord* type = mayahost::detail::registeringType();
  auto* a = static_cast<AttributeDef*>(const_cast<void*>(attribute));
  if (!type || !a || a->parent || a->added) return Status::kInvalidParameter;
  a->added = true;
  type->topLevel.push_back(a);
  return Status::kSuccess;
}

int mayahost_attribute_affects(const void* whenChanges, const void* isAffected) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
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
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
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
  registryMutex().lock();
  const auto refuse = [](int code) {
    registryMutex().unlock();
    return code;
  };
  if (!plugin || !creator || !typeName || !*typeName || mayahost::detail::gPending)
    return refuse(Status::kInvalidParameter);
  for (const auto& t : mayahost::detail::types())
    if (t->id == typeId || t->name == typeName) return refuse(Status::kFailure);

  auto record = std::make_shared<TypeRecord>();
  record->name = typeName;
  record->id = typeId;
  record->creator = creator;
  record->kind = nodeKind;
  if (classification) record->classification = classification;
  record->plugin = static_cast<PluginRecord*>(plugin);
  mayahost::detail::gPending = std::move(record);
  return Status::kSuccess;  // the registry stays locked until the end
}

int mayahost_register_end(int initializerStatus) {
  const std::shared_ptr<TypeRecord> record = std::move(mayahost::detail::gPending);
  int result = initializerStatus;
  if (record && initializerStatus == Status::kSuccess) {
    mayahost::detail::finishLayout(*record);
    mayahost::detail::types().push_back(record);
  }
  registryMutex().unlock();
  return result;
}

int mayahost_deregister(void* plugin, unsigned int typeId) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
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
  std::lock_guard<std::recursive_mutex> lock(detail::registryMutex());
  detail::gFailingAttributes = std::move(attributeNames);
}

}  // namespace mayahost
