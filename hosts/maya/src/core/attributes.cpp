// Attribute initialisers' calls: creation, flags, defaults and limits, on the
// host's records. OpenMaya's function sets forward here.
#include <cstring>

#include "internals.h"

using mayahost::AttributeKind;
using mayahost::Status;
using mayahost::detail::AttributeDef;

namespace {

// Attributes made outside any registration have no type to own them.
std::vector<std::unique_ptr<AttributeDef>>& orphans() {
  static std::vector<std::unique_ptr<AttributeDef>> pool;
  return pool;
}

AttributeDef* newAttribute(const char* name, const char* shortName, AttributeKind kind) {
  auto def = std::make_unique<AttributeDef>();
  def->name = name ? name : "";
  def->shortName = shortName ? shortName : "";
  def->kind = kind;
  AttributeDef* raw = def.get();
  if (auto* type = mayahost::detail::registeringType()) {
    type->owned.push_back(std::move(def));
  } else {
    std::lock_guard<std::mutex> lock(mayahost::detail::registryMutex());
    orphans().push_back(std::move(def));
  }
  return raw;
}

void* fail(int code, int* status) {
  if (status) *status = code;
  return nullptr;
}

void* created(AttributeDef* def, int* status) {
  if (status) *status = Status::kSuccess;
  return def;
}

bool failing(const char* name) { return mayahost::detail::attributeCallFails(name ? name : ""); }

const AttributeDef* def(const void* attribute) {
  return static_cast<const AttributeDef*>(attribute);
}

bool isFreeChild(const void* o, AttributeKind kind) {
  const AttributeDef* d = def(o);
  return d && d->kind == kind && !d->parent && !d->added;
}

bool distinct(const void* const* children, std::initializer_list<std::pair<int, int>> pairs) {
  for (auto [a, b] : pairs)
    if (children[a] == children[b]) return false;
  return true;
}

void adopt(AttributeDef* parent, const void* const* children, int count) {
  for (int i = 0; i < count; ++i) {
    auto* child = const_cast<AttributeDef*>(def(children[i]));
    child->parent = parent;
    parent->children.push_back(child);
  }
}

// A function set's current attribute, when a call on it may go ahead.
template <typename Fn>
int onCurrent(void* current, Fn&& change) {
  auto* a = static_cast<AttributeDef*>(current);
  if (!a) return Status::kInvalidParameter;
  if (mayahost::detail::attributeCallFails(a->name)) return Status::kFailure;
  return change(*a);
}

bool AttributeDef::*flagMember(int flag) {
  switch (flag) {
    case MAYAHOST_FLAG_KEYABLE:
      return &AttributeDef::keyable;
    case MAYAHOST_FLAG_STORABLE:
      return &AttributeDef::storable;
    case MAYAHOST_FLAG_READABLE:
      return &AttributeDef::readable;
    case MAYAHOST_FLAG_WRITABLE:
      return &AttributeDef::writable;
    case MAYAHOST_FLAG_HIDDEN:
      return &AttributeDef::hidden;
    case MAYAHOST_FLAG_USED_AS_COLOR:
      return &AttributeDef::usedAsColor;
    case MAYAHOST_FLAG_ARRAY:
      return &AttributeDef::array;
    case MAYAHOST_FLAG_CONNECTABLE:
      return &AttributeDef::connectable;
  }
  return nullptr;
}

}  // namespace

extern "C" {

void* mayahost_numeric_create(const char* name, const char* shortName, int kind,
                              double defaultValue, int* status) {
  if (failing(name)) return fail(Status::kFailure, status);
  if (kind != MAYAHOST_KIND_FLOAT && kind != MAYAHOST_KIND_BOOLEAN)
    return fail(Status::kNotImplemented, status);
  AttributeDef* d = newAttribute(
      name, shortName, kind == MAYAHOST_KIND_FLOAT ? AttributeKind::Float : AttributeKind::Boolean);
  d->defaultFloat = static_cast<float>(defaultValue);
  d->defaultBool = defaultValue != 0.0;
  return created(d, status);
}

void* mayahost_compound_create(const char* name, const char* shortName,
                               const void* const children[3], int* status) {
  if (failing(name)) return fail(Status::kFailure, status);
  // Only three-float compounds have a caller; their value is one MFloatVector.
  for (int i = 0; i < 3; ++i)
    if (!isFreeChild(children[i], AttributeKind::Float))
      return fail(Status::kInvalidParameter, status);
  if (!distinct(children, {{0, 1}, {1, 2}, {0, 2}})) return fail(Status::kInvalidParameter, status);
  AttributeDef* d = newAttribute(name, shortName, AttributeKind::Compound);
  adopt(d, children, 3);
  return created(d, status);
}

void* mayahost_address_create(const char* name, const char* shortName, void* defaultValue,
                              int* status) {
  if (failing(name)) return fail(Status::kFailure, status);
  AttributeDef* d = newAttribute(name, shortName, AttributeKind::Address);
  d->defaultAddress = defaultValue;
  return created(d, status);
}

void* mayahost_lightdata_create(const char* name, const char* shortName,
                                const void* const children[8], int* status) {
  if (failing(name)) return fail(Status::kFailure, status);
  const void* const* c = children;  // each child's kind, in the published order
  const bool valid =
      isFreeChild(c[0], AttributeKind::Compound) && isFreeChild(c[1], AttributeKind::Compound) &&
      isFreeChild(c[2], AttributeKind::Boolean) && isFreeChild(c[3], AttributeKind::Boolean) &&
      isFreeChild(c[4], AttributeKind::Boolean) && isFreeChild(c[5], AttributeKind::Float) &&
      isFreeChild(c[6], AttributeKind::Float) && isFreeChild(c[7], AttributeKind::Address) &&
      distinct(c, {{0, 1}, {2, 3}, {2, 4}, {3, 4}, {5, 6}});
  if (!valid) return fail(Status::kInvalidParameter, status);
  AttributeDef* d = newAttribute(name, shortName, AttributeKind::LightData);
  adopt(d, c, 8);
  return created(d, status);
}

int mayahost_attribute_kind(const void* attribute) {
  return attribute ? mayahost::detail::kindRecord(def(attribute)->kind).code : MAYAHOST_KIND_NONE;
}

int mayahost_attribute_set_flag(void* attribute, int flag, int state) {
  bool AttributeDef::*member = flagMember(flag);
  if (!member) return Status::kInvalidParameter;
  return onCurrent(attribute, [&](AttributeDef& a) -> int {
    a.*member = state != 0;
    return Status::kSuccess;
  });
}

int mayahost_attribute_flag(const void* attribute, int flag, int* state) {
  bool AttributeDef::*member = flagMember(flag);
  *state = attribute && member ? def(attribute)->*member : false;
  return attribute && member ? Status::kSuccess : Status::kInvalidParameter;
}

int mayahost_attribute_set_default(void* attribute, const double* values, int count) {
  return onCurrent(attribute, [&](AttributeDef& a) -> int {
    if (count == 1 && a.kind == AttributeKind::Float) {
      a.defaultFloat = static_cast<float>(values[0]);
    } else if (count == 1 && a.kind == AttributeKind::Boolean) {
      a.defaultBool = values[0] != 0.0;
    } else if (count == 3 && a.kind == AttributeKind::Compound) {
      // A compound's default is its children's: setting it sets theirs.
      for (int i = 0; i < 3; ++i) a.children[i]->defaultFloat = static_cast<float>(values[i]);
    } else {
      return Status::kInvalidParameter;
    }
    return Status::kSuccess;
  });
}

// Light data's default is its children's, as a compound's is.
int mayahost_lightdata_set_default(void* attribute, const float values[8], const int switches[3],
                                   void* blindData) {
  return onCurrent(attribute, [&](AttributeDef& a) -> int {
    if (a.kind != AttributeKind::LightData) return Status::kInvalidParameter;
    for (int i = 0; i < 3; ++i) {
      a.children[0]->children[i]->defaultFloat = values[i];
      a.children[1]->children[i]->defaultFloat = values[3 + i];
    }
    a.children[2]->defaultBool = switches[0] != 0;
    a.children[3]->defaultBool = switches[1] != 0;
    a.children[4]->defaultBool = switches[2] != 0;
    a.children[5]->defaultFloat = values[6];
    a.children[6]->defaultFloat = values[7];
    a.children[7]->defaultAddress = blindData;
    return Status::kSuccess;
  });
}

int mayahost_attribute_set_limit(void* attribute, int limit, double value) {
  std::optional<double> AttributeDef::*member = nullptr;
  switch (limit) {
    case MAYAHOST_LIMIT_MIN:
      member = &AttributeDef::min;
      break;
    case MAYAHOST_LIMIT_MAX:
      member = &AttributeDef::max;
      break;
    case MAYAHOST_LIMIT_SOFT_MIN:
      member = &AttributeDef::softMin;
      break;
    case MAYAHOST_LIMIT_SOFT_MAX:
      member = &AttributeDef::softMax;
      break;
    default:
      return Status::kInvalidParameter;
  }
  return onCurrent(attribute, [&](AttributeDef& a) -> int {
    if (a.kind != AttributeKind::Float) return Status::kInvalidParameter;
    a.*member = value;
    return Status::kSuccess;
  });
}

const char* mayahost_attribute_name(const void* attribute, int shortName) {
  if (!attribute) return nullptr;
  return shortName ? def(attribute)->shortName.c_str() : def(attribute)->name.c_str();
}

}  // extern "C"
