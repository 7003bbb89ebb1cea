// Attribute function sets: creation, flags, defaults and limits.
#include <maya/MFnAttribute.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>

#include "hostInternals.h"

using mayahost::AttributeKind;
using mayahost::DefaultCall;
using mayahost::detail::AttributeDef;

namespace {

// Attributes made outside any registration have no type to own them.
std::vector<std::unique_ptr<AttributeDef>>& orphans() {
  static std::vector<std::unique_ptr<AttributeDef>> pool;
  return pool;
}

AttributeDef* newAttribute(const MString& name, const MString& shortName, AttributeKind kind) {
  auto def = std::make_unique<AttributeDef>();
  def->name = name.asChar();
  def->shortName = shortName.asChar();
  def->kind = kind;
  AttributeDef* raw = def.get();
  std::lock_guard<std::recursive_mutex> lock(mayahost::detail::registryMutex());
  if (auto* type = mayahost::detail::registeringType())
    type->owned.push_back(std::move(def));
  else
    orphans().push_back(std::move(def));
  return raw;
}

MObject fail(MStatus::MStatusCode code, MStatus* status) {
  if (status) *status = code;
  return MObject::kNullObj;
}

MObject created(AttributeDef* def, AttributeDef*& current, MStatus* status) {
  current = def;
  if (status) *status = MStatus::kSuccess;
  return MHostAccess::object(def);
}

bool isFreeChild(const MObject& o, AttributeKind kind) {
  const AttributeDef* d = MHostAccess::def(o);
  return d && d->kind == kind && !d->parent && !d->added;
}

void adopt(AttributeDef* parent, std::initializer_list<const MObject*> children) {
  for (const MObject* c : children) {
    AttributeDef* child = MHostAccess::def(*c);
    child->parent = parent;
    parent->children.push_back(child);
  }
}

// The function set's current attribute when a call on it may go ahead.
template <typename Fn>
MStatus onCurrent(AttributeDef* current, Fn&& change) {
  if (!current) return MStatus::kInvalidParameter;
  if (mayahost::detail::attributeCallFails(current->name)) return MStatus::kFailure;
  return change(*current);
}

MStatus setFlag(AttributeDef* current, bool AttributeDef::*flag, bool state) {
  return onCurrent(current, [&](AttributeDef& a) -> MStatus {
    a.*flag = state;
    return MStatus::kSuccess;
  });
}

bool getFlag(const AttributeDef* current, bool AttributeDef::*flag, MStatus* status) {
  if (status) *status = current ? MStatus::kSuccess : MStatus::kInvalidParameter;
  return current ? current->*flag : false;
}

MStatus setSingle(AttributeDef* current, double value, DefaultCall call) {
  return onCurrent(current, [&](AttributeDef& a) -> MStatus {
    if (a.kind == AttributeKind::Float)
      a.defaultFloat = static_cast<float>(value);
    else if (a.kind == AttributeKind::Boolean)
      a.defaultBool = value != 0.0;
    else
      return MStatus::kInvalidParameter;
    a.lastDefaultCall = call;
    return MStatus::kSuccess;
  });
}

// A compound's default is its children's: setting it sets theirs.
MStatus setTriple(AttributeDef* current, float x, float y, float z, DefaultCall call) {
  return onCurrent(current, [&](AttributeDef& a) -> MStatus {
    if (a.kind != AttributeKind::Compound) return MStatus::kInvalidParameter;
    const float v[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) a.children[i]->defaultFloat = v[i];
    a.lastDefaultCall = call;
    return MStatus::kSuccess;
  });
}

MStatus setLimit(AttributeDef* current, std::optional<double> AttributeDef::*limit, double value) {
  return onCurrent(current, [&](AttributeDef& a) -> MStatus {
    if (a.kind != AttributeKind::Float) return MStatus::kInvalidParameter;
    a.*limit = value;
    return MStatus::kSuccess;
  });
}

}  // namespace

MObject MObject::kNullObj;

MFnAttribute::~MFnAttribute() = default;
MFnNumericAttribute::~MFnNumericAttribute() = default;
MFnLightDataAttribute::~MFnLightDataAttribute() = default;

MStatus MFnAttribute::setKeyable(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::keyable, s);
}
MStatus MFnAttribute::setStorable(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::storable, s);
}
MStatus MFnAttribute::setReadable(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::readable, s);
}
MStatus MFnAttribute::setWritable(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::writable, s);
}
MStatus MFnAttribute::setHidden(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::hidden, s);
}
MStatus MFnAttribute::setUsedAsColor(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::usedAsColor, s);
}
MStatus MFnAttribute::setArray(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::array, s);
}
MStatus MFnAttribute::setConnectable(bool s) {
  return setFlag(MHostAccess::current(*this), &AttributeDef::connectable, s);
}

bool MFnAttribute::isKeyable(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::keyable, st);
}
bool MFnAttribute::isStorable(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::storable, st);
}
bool MFnAttribute::isReadable(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::readable, st);
}
bool MFnAttribute::isWritable(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::writable, st);
}
bool MFnAttribute::isHidden(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::hidden, st);
}
bool MFnAttribute::isUsedAsColor(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::usedAsColor, st);
}
bool MFnAttribute::isArray(MStatus* st) const {
  return getFlag(MHostAccess::current(*this), &AttributeDef::array, st);
}

MString MFnAttribute::name() const {
  const AttributeDef* a = MHostAccess::current(*this);
  return a ? MString(a->name.c_str()) : MString();
}
MString MFnAttribute::shortName() const {
  const AttributeDef* a = MHostAccess::current(*this);
  return a ? MString(a->shortName.c_str()) : MString();
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue,
                                    MStatus* status) {
  AttributeDef*& current = MHostAccess::current(*this);
  current = nullptr;
  if (mayahost::detail::attributeCallFails(fullName.asChar()))
    return fail(MStatus::kFailure, status);
  if (unitType != MFnNumericData::kFloat && unitType != MFnNumericData::kBoolean)
    return fail(MStatus::kNotImplemented, status);
  const bool isFloat = unitType == MFnNumericData::kFloat;
  AttributeDef* def =
      newAttribute(fullName, briefName, isFloat ? AttributeKind::Float : AttributeKind::Boolean);
  def->defaultFloat = static_cast<float>(defaultValue);
  def->defaultBool = defaultValue != 0.0;
  return created(def, current, status);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    const MObject& child1, const MObject& child2,
                                    const MObject& child3, MStatus* status) {
  AttributeDef*& current = MHostAccess::current(*this);
  current = nullptr;
  if (mayahost::detail::attributeCallFails(fullName.asChar()))
    return fail(MStatus::kFailure, status);
  // Only three-float compounds have a caller; their value is one MFloatVector.
  for (const MObject* c : {&child1, &child2, &child3})
    if (!isFreeChild(*c, AttributeKind::Float)) return fail(MStatus::kInvalidParameter, status);
  if (child1 == child2 || child2 == child3 || child1 == child3)
    return fail(MStatus::kInvalidParameter, status);
  AttributeDef* def = newAttribute(fullName, briefName, AttributeKind::Compound);
  adopt(def, {&child1, &child2, &child3});
  return created(def, current, status);
}

MObject MFnNumericAttribute::createAddr(const MString& fullName, const MString& briefName,
                                        void* defaultValue, MStatus* status) {
  AttributeDef*& current = MHostAccess::current(*this);
  current = nullptr;
  if (mayahost::detail::attributeCallFails(fullName.asChar()))
    return fail(MStatus::kFailure, status);
  AttributeDef* def = newAttribute(fullName, briefName, AttributeKind::Address);
  def->defaultAddress = defaultValue;
  return created(def, current, status);
}

MStatus MFnNumericAttribute::setDefault(bool v) {
  return setSingle(MHostAccess::current(*this), v ? 1.0 : 0.0, DefaultCall::Bool);
}
MStatus MFnNumericAttribute::setDefault(int v) {
  return setSingle(MHostAccess::current(*this), v, DefaultCall::Int);
}
MStatus MFnNumericAttribute::setDefault(float v) {
  return setSingle(MHostAccess::current(*this), v, DefaultCall::Float);
}
MStatus MFnNumericAttribute::setDefault(double v) {
  return setSingle(MHostAccess::current(*this), v, DefaultCall::Double);
}
MStatus MFnNumericAttribute::setDefault(float a, float b, float c) {
  return setTriple(MHostAccess::current(*this), a, b, c, DefaultCall::Float3);
}
MStatus MFnNumericAttribute::setDefault(double a, double b, double c) {
  return setTriple(MHostAccess::current(*this), static_cast<float>(a), static_cast<float>(b),
                   static_cast<float>(c), DefaultCall::Double3);
}
MStatus MFnNumericAttribute::setMin(double v) {
  return setLimit(MHostAccess::current(*this), &AttributeDef::min, v);
}
MStatus MFnNumericAttribute::setMax(double v) {
  return setLimit(MHostAccess::current(*this), &AttributeDef::max, v);
}
MStatus MFnNumericAttribute::setSoftMin(double v) {
  return setLimit(MHostAccess::current(*this), &AttributeDef::softMin, v);
}
MStatus MFnNumericAttribute::setSoftMax(double v) {
  return setLimit(MHostAccess::current(*this), &AttributeDef::softMax, v);
}

MObject MFnLightDataAttribute::create(const MString& fullName, const MString& briefName,
                                      const MObject& direction, const MObject& intensity,
                                      const MObject& ambient, const MObject& diffuse,
                                      const MObject& specular, const MObject& shadowFraction,
                                      const MObject& preShadowIntensity, const MObject& blindData,
                                      MStatus* status) {
  AttributeDef*& current = MHostAccess::current(*this);
  current = nullptr;
  if (mayahost::detail::attributeCallFails(fullName.asChar()))
    return fail(MStatus::kFailure, status);
  const bool valid = isFreeChild(direction, AttributeKind::Compound) &&
                     isFreeChild(intensity, AttributeKind::Compound) &&
                     isFreeChild(ambient, AttributeKind::Boolean) &&
                     isFreeChild(diffuse, AttributeKind::Boolean) &&
                     isFreeChild(specular, AttributeKind::Boolean) &&
                     isFreeChild(shadowFraction, AttributeKind::Float) &&
                     isFreeChild(preShadowIntensity, AttributeKind::Float) &&
                     isFreeChild(blindData, AttributeKind::Address) && direction != intensity &&
                     ambient != diffuse && ambient != specular && diffuse != specular &&
                     shadowFraction != preShadowIntensity;
  if (!valid) return fail(MStatus::kInvalidParameter, status);
  AttributeDef* def = newAttribute(fullName, briefName, AttributeKind::LightData);
  adopt(def, {&direction, &intensity, &ambient, &diffuse, &specular, &shadowFraction,
              &preShadowIntensity, &blindData});
  return created(def, current, status);
}

// Light data's default is its children's, as a compound's is.
MStatus MFnLightDataAttribute::setDefault(float dirX, float dirY, float dirZ, float intenR,
                                          float intenG, float intenB, bool ambient, bool diffuse,
                                          bool specular, float shadowFraction,
                                          float preShadowIntensity, void* blindData) {
  return onCurrent(MHostAccess::current(*this), [&](AttributeDef& a) -> MStatus {
    if (a.kind != AttributeKind::LightData) return MStatus::kInvalidParameter;
    const float dir[3] = {dirX, dirY, dirZ}, inten[3] = {intenR, intenG, intenB};
    for (int i = 0; i < 3; ++i) {
      a.children[0]->children[i]->defaultFloat = dir[i];
      a.children[1]->children[i]->defaultFloat = inten[i];
    }
    a.children[2]->defaultBool = ambient;
    a.children[3]->defaultBool = diffuse;
    a.children[4]->defaultBool = specular;
    a.children[5]->defaultFloat = shadowFraction;
    a.children[6]->defaultFloat = preShadowIntensity;
    a.children[7]->defaultAddress = blindData;
    a.lastDefaultCall = DefaultCall::LightData;
    return MStatus::kSuccess;
  });
}
