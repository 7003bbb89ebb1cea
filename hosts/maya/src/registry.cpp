// Node types: registration, the attribute initialiser's calls, the layout of
// a type's values, and the command log.
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MPxNode.h>

#include <algorithm>
#include <new>
#include <set>

#include "hostInternals.h"
#include "mayahost/testSwitches.h"

namespace mayahost::detail {

namespace {
TypeRecord* gRegistering = nullptr;
std::vector<std::string> gFailingAttributes;  // under registryMutex
std::mutex gCommandMutex;
std::vector<Command> gCommands;

std::size_t alignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

std::size_t alignmentOf(const AttributeDef* a) {
  switch (a->kind) {
    case AttributeKind::Float:
    case AttributeKind::Compound:
      return alignof(float);
    case AttributeKind::Boolean:
      return alignof(bool);
    case AttributeKind::Address:
    case AttributeKind::LightData:
      return alignof(void*);
  }
  return alignof(void*);
}

// Children follow one another, so a three-float compound is one MFloatVector.
void place(AttributeDef* a, std::size_t& cursor, const AttributeDef* arrayRoot) {
  cursor = alignUp(cursor, alignmentOf(a));
  a->offset = cursor;
  a->arrayRoot = arrayRoot;
  switch (a->kind) {
    case AttributeKind::Float:
      cursor += sizeof(float);
      break;
    case AttributeKind::Boolean:
      cursor += sizeof(bool);
      break;
    case AttributeKind::Address:
      cursor += sizeof(void*);
      break;
    case AttributeKind::Compound:
    case AttributeKind::LightData:
      for (AttributeDef* c : a->children) place(c, cursor, arrayRoot);
      break;
  }
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

TypeRecord* registeringType() { return gRegistering; }

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

using mayahost::detail::AttributeDef;
using mayahost::detail::PluginRecord;
using mayahost::detail::registryMutex;
using mayahost::detail::TypeRecord;

MPxNode::MPxNode() = default;
MPxNode::~MPxNode() = default;
void MPxNode::postConstructor() {}
MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MStatus::kUnknownParameter; }
void MPxNode::setMPSafe(bool flag) { mpSafe_ = flag; }

MStatus MPxNode::addAttribute(const MObject& attr) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  TypeRecord* type = mayahost::detail::gRegistering;
  AttributeDef* a = MHostAccess::def(attr);
  if (!type || !a || a->parent || a->added) return MStatus::kInvalidParameter;
  a->added = true;
  type->topLevel.push_back(a);
  return MStatus::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  TypeRecord* type = mayahost::detail::gRegistering;
  AttributeDef* in = MHostAccess::def(whenChanges);
  AttributeDef* out = MHostAccess::def(isAffected);
  if (!type || !in || !out) return MStatus::kInvalidParameter;
  in->affects.push_back(out);
  type->affects.emplace_back(in, out);
  return MStatus::kSuccess;
}

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version,
                     const char* requiredApiVersion, MStatus* status)
    : plugin_(nullptr) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  // The plug-in object designates the loader's record of the plug-in.
  auto* record = static_cast<PluginRecord*>(MHostAccess::raw(object));
  if (!record) {
    if (status) *status = MStatus::kInvalidParameter;
    return;
  }
  plugin_ = record;
  // The identity is what the plug-in states while it loads; unloading
  // makes a function set with the stock defaults.
  if (record->initializing) {
    record->vendor = vendor ? vendor : "";
    record->version = version ? version : "";
    record->requiredApiVersion = requiredApiVersion ? requiredApiVersion : "";
  }
  if (status) *status = MStatus::kSuccess;
}

MFnPlugin::~MFnPlugin() = default;

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString* classification) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  if (!plugin_ || !creatorFunction || typeName.length() == 0) return MStatus::kInvalidParameter;
  for (const auto& t : mayahost::detail::types())
    if (t->id == typeId.id() || t->name == typeName.asChar()) return MStatus::kFailure;

  auto record = std::make_shared<TypeRecord>();
  record->name = typeName.asChar();
  record->id = typeId.id();
  record->creator = creatorFunction;
  record->initializer = initFunction;
  record->kind = type;
  if (classification) record->classification = classification->asChar();
  record->plugin = static_cast<PluginRecord*>(plugin_);

  mayahost::detail::gRegistering = record.get();
  MStatus initialized = initFunction ? initFunction() : MStatus(MStatus::kSuccess);
  mayahost::detail::gRegistering = nullptr;
  if (!initialized) return initialized;
  mayahost::detail::finishLayout(*record);
  mayahost::detail::types().push_back(std::move(record));
  return MStatus::kSuccess;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  auto& all = mayahost::detail::types();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if ((*it)->id != typeId.id()) continue;
    if ((*it)->plugin != plugin_ || (*it)->liveNodes.load() > 0) return MStatus::kFailure;
    all.erase(it);
    return MStatus::kSuccess;
  }
  return MStatus::kFailure;
}

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled) {
  std::lock_guard<std::mutex> lock(mayahost::detail::gCommandMutex);
  mayahost::detail::gCommands.push_back({command.asChar(), displayEnabled, undoEnabled});
  return MStatus::kSuccess;
}

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
