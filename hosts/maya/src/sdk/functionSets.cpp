// The attribute function sets. Each keeps the attribute it created last (or
// was given) in MFnBase's object pointer; every setter acts on that one.
#include <maya/MFnAttribute.h>
#include <maya/MFnBase.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include "hostAccess.h"

namespace {

MStatus setFlag(const MFnBase& fn, int flag, bool state) {
  return MHostAccess::status(mayahost_attribute_set_flag(MHostAccess::current(fn), flag, state));
}

bool flag(const MFnBase& fn, int which, MStatus* status) {
  int state = 0;
  MHostAccess::report(mayahost_attribute_flag(MHostAccess::current(fn), which, &state), status);
  return state != 0;
}

MStatus setDefaults(const MFnBase& fn, double a, double b = 0, double c = 0, int count = 1) {
  const double values[3] = {a, b, c};
  return MHostAccess::status(
      mayahost_attribute_set_default(MHostAccess::current(fn), values, count));
}

// Two- and four-value defaults have no attribute kind here to take them.
MStatus noSuchDefault() { return MStatus::kInvalidParameter; }

MStatus setLimit(const MFnBase& fn, int limit, double value) {
  return MHostAccess::status(mayahost_attribute_set_limit(MHostAccess::current(fn), limit, value));
}

// A function set made from an existing object takes it when its kind fits.
void attach(MFnBase& fn, const MObject& object, bool fits, MStatus* status) {
  void* attribute = MHostAccess::attribute(object);
  const bool ok = attribute && fits;
  MHostAccess::setCurrent(fn, ok ? attribute : nullptr);
  MHostAccess::report(ok ? MStatus::kSuccess : MStatus::kInvalidParameter, status);
}

bool isKind(const MObject& object, int kind) {
  const void* attribute = MHostAccess::attribute(object);
  return attribute && mayahost_attribute_kind(attribute) == kind;
}

bool isNumeric(const MObject& object) {
  const void* attribute = MHostAccess::attribute(object);
  const int kind = attribute ? mayahost_attribute_kind(attribute) : MAYAHOST_KIND_NONE;
  return kind == MAYAHOST_KIND_FLOAT || kind == MAYAHOST_KIND_BOOLEAN ||
         kind == MAYAHOST_KIND_COMPOUND || kind == MAYAHOST_KIND_ADDRESS;
}

MObject created(MFnBase& fn, void* attribute, int code, MStatus* status) {
  MHostAccess::setCurrent(fn, attribute);
  MHostAccess::report(code, status);
  return MHostAccess::attributeObject(attribute);
}

}  // namespace

MFnBase::MFnBase() : f_ptr(nullptr), f_constptr(nullptr), f_own(false) {}
MFnBase::~MFnBase() = default;
MFn::Type MFnBase::type() const { return MFn::kBase; }
bool MFnBase::hasObj(MFn::Type type) const { return type == MFn::kBase; }
MObject MFnBase::object(MStatus* status) const {
  MHostAccess::report(f_ptr ? MStatus::kSuccess : MStatus::kInvalidParameter, status);
  return MHostAccess::attributeObject(f_ptr);
}
MStatus MFnBase::setObject(MObject& object) {
  return setObject(static_cast<const MObject&>(object));
}
MStatus MFnBase::setObject(const MObject& object) {
  MStatus status;
  attach(*this, object, true, &status);
  return status;
}
const char* MFnBase::className() const { return "MFnBase"; }
bool MFnBase::objectChanged(MFn::Type, MStatus*) { return true; }

MFnAttribute::MFnAttribute(MObject& object, MStatus* status) {
  attach(*this, object, true, status);
}
MFnAttribute::MFnAttribute(const MObject& object, MStatus* status) {
  attach(*this, object, true, status);
}
MFnAttribute::~MFnAttribute() = default;
MFn::Type MFnAttribute::type() const { return MFn::kAttribute; }
const char* MFnAttribute::className() const { return "MFnAttribute"; }
bool MFnAttribute::objectChanged(MFn::Type, MStatus*) { return true; }

MStatus MFnAttribute::setKeyable(bool s) { return setFlag(*this, MAYAHOST_FLAG_KEYABLE, s); }
MStatus MFnAttribute::setStorable(bool s) { return setFlag(*this, MAYAHOST_FLAG_STORABLE, s); }
MStatus MFnAttribute::setReadable(bool s) { return setFlag(*this, MAYAHOST_FLAG_READABLE, s); }
MStatus MFnAttribute::setWritable(bool s) { return setFlag(*this, MAYAHOST_FLAG_WRITABLE, s); }
MStatus MFnAttribute::setHidden(bool s) { return setFlag(*this, MAYAHOST_FLAG_HIDDEN, s); }
MStatus MFnAttribute::setUsedAsColor(bool s) {
  return setFlag(*this, MAYAHOST_FLAG_USED_AS_COLOR, s);
}
MStatus MFnAttribute::setArray(bool s) { return setFlag(*this, MAYAHOST_FLAG_ARRAY, s); }
MStatus MFnAttribute::setConnectable(bool s) {
  return setFlag(*this, MAYAHOST_FLAG_CONNECTABLE, s);
}

bool MFnAttribute::isKeyable(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_KEYABLE, s); }
bool MFnAttribute::isStorable(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_STORABLE, s); }
bool MFnAttribute::isReadable(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_READABLE, s); }
bool MFnAttribute::isWritable(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_WRITABLE, s); }
bool MFnAttribute::isHidden(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_HIDDEN, s); }
bool MFnAttribute::isUsedAsColor(MStatus* s) const {
  return flag(*this, MAYAHOST_FLAG_USED_AS_COLOR, s);
}
bool MFnAttribute::isArray(MStatus* s) const { return flag(*this, MAYAHOST_FLAG_ARRAY, s); }
bool MFnAttribute::isConnectable(MStatus* s) const {
  return flag(*this, MAYAHOST_FLAG_CONNECTABLE, s);
}

MString MFnAttribute::name() const {
  const char* text = mayahost_attribute_name(MHostAccess::current(*this), 0);
  return MString(text ? text : "");
}
MString MFnAttribute::shortName() const {
  const char* text = mayahost_attribute_name(MHostAccess::current(*this), 1);
  return MString(text ? text : "");
}

MFnNumericAttribute::MFnNumericAttribute(MObject& object, MStatus* status) {
  attach(*this, object, isNumeric(object), status);
}
MFnNumericAttribute::MFnNumericAttribute(const MObject& object, MStatus* status) {
  attach(*this, object, isNumeric(object), status);
}
MFnNumericAttribute::~MFnNumericAttribute() = default;
MFn::Type MFnNumericAttribute::type() const { return MFn::kNumericAttribute; }
const char* MFnNumericAttribute::className() const { return "MFnNumericAttribute"; }
bool MFnNumericAttribute::objectChanged(MFn::Type, MStatus*) { return true; }

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue,
                                    MStatus* status) {
  // Floats and booleans: the only types with a caller.
  const int kind = unitType == MFnNumericData::kFloat     ? MAYAHOST_KIND_FLOAT
                   : unitType == MFnNumericData::kBoolean ? MAYAHOST_KIND_BOOLEAN
                                                          : MAYAHOST_KIND_NONE;
  int code = MStatus::kSuccess;
  void* a =
      mayahost_numeric_create(fullName.asChar(), briefName.asChar(), kind, defaultValue, &code);
  return created(*this, a, code, status);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    const MObject& child1, const MObject& child2,
                                    const MObject& child3, MStatus* status) {
  const void* const children[3] = {MHostAccess::attribute(child1), MHostAccess::attribute(child2),
                                   MHostAccess::attribute(child3)};
  int code = MStatus::kSuccess;
  void* a = mayahost_compound_create(fullName.asChar(), briefName.asChar(), children, &code);
  return created(*this, a, code, status);
}

MObject MFnNumericAttribute::createAddr(const MString& fullName, const MString& briefName,
                                        void* defaultValue, MStatus* status) {
  int code = MStatus::kSuccess;
  void* a = mayahost_address_create(fullName.asChar(), briefName.asChar(), defaultValue, &code);
  return created(*this, a, code, status);
}

MStatus MFnNumericAttribute::setDefault(bool v) { return setDefaults(*this, v ? 1.0 : 0.0); }
MStatus MFnNumericAttribute::setDefault(char v) { return setDefaults(*this, v); }
MStatus MFnNumericAttribute::setDefault(int v) { return setDefaults(*this, v); }
MStatus MFnNumericAttribute::setDefault(float v) { return setDefaults(*this, v); }
MStatus MFnNumericAttribute::setDefault(double v) { return setDefaults(*this, v); }
MStatus MFnNumericAttribute::setDefault(int, int) { return noSuchDefault(); }
MStatus MFnNumericAttribute::setDefault(float, float) { return noSuchDefault(); }
MStatus MFnNumericAttribute::setDefault(double, double) { return noSuchDefault(); }
MStatus MFnNumericAttribute::setDefault(int a, int b, int c) {
  return setDefaults(*this, a, b, c, 3);
}
MStatus MFnNumericAttribute::setDefault(float a, float b, float c) {
  return setDefaults(*this, a, b, c, 3);
}
MStatus MFnNumericAttribute::setDefault(double a, double b, double c) {
  return setDefaults(*this, a, b, c, 3);
}
MStatus MFnNumericAttribute::setDefault(double, double, double, double) { return noSuchDefault(); }
MStatus MFnNumericAttribute::setMin(double v) { return setLimit(*this, MAYAHOST_LIMIT_MIN, v); }
MStatus MFnNumericAttribute::setMax(double v) { return setLimit(*this, MAYAHOST_LIMIT_MAX, v); }
MStatus MFnNumericAttribute::setSoftMin(double v) {
  return setLimit(*this, MAYAHOST_LIMIT_SOFT_MIN, v);
}
MStatus MFnNumericAttribute::setSoftMax(double v) {
  return setLimit(*this, MAYAHOST_LIMIT_SOFT_MAX, v);
}

MFnLightDataAttribute::MFnLightDataAttribute(MObject& object, MStatus* status) {
  attach(*this, object, isKind(object, MAYAHOST_KIND_LIGHTDATA), status);
}
MFnLightDataAttribute::MFnLightDataAttribute(const MObject& object, MStatus* status) {
  attach(*this, object, isKind(object, MAYAHOST_KIND_LIGHTDATA), status);
}
MFnLightDataAttribute::~MFnLightDataAttribute() = default;
MFn::Type MFnLightDataAttribute::type() const { return MFn::kLightDataAttribute; }
const char* MFnLightDataAttribute::className() const { return "MFnLightDataAttribute"; }

MObject MFnLightDataAttribute::create(const MString& fullName, const MString& briefName,
                                      const MObject& direction, const MObject& intensity,
                                      const MObject& ambient, const MObject& diffuse,
                                      const MObject& specular, const MObject& shadowFraction,
                                      const MObject& preShadowIntensity, const MObject& blindData,
                                      MStatus* status) {
  const void* const children[8] = {MHostAccess::attribute(direction),
                                   MHostAccess::attribute(intensity),
                                   MHostAccess::attribute(ambient),
                                   MHostAccess::attribute(diffuse),
                                   MHostAccess::attribute(specular),
                                   MHostAccess::attribute(shadowFraction),
                                   MHostAccess::attribute(preShadowIntensity),
                                   MHostAccess::attribute(blindData)};
  int code = MStatus::kSuccess;
  void* a = mayahost_lightdata_create(fullName.asChar(), briefName.asChar(), children, &code);
  return created(*this, a, code, status);
}

MStatus MFnLightDataAttribute::setDefault(float dirX, float dirY, float dirZ, float intenR,
                                          float intenG, float intenB, bool ambient, bool diffuse,
                                          bool specular, float shadowFraction,
                                          float preShadowIntensity, void* blindData) {
  const float values[8] = {dirX,   dirY,   dirZ,           intenR,
                           intenG, intenB, shadowFraction, preShadowIntensity};
  const int switches[3] = {ambient, diffuse, specular};
  return MHostAccess::status(
      mayahost_lightdata_set_default(MHostAccess::current(*this), values, switches, blindData));
}
