// Plugs, data blocks and the handles compute reads and writes them through.
// A handle carries the address of its value, so reading one is no call into
// the host's records; finding a value is.
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatVector.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

#include "hostAccess.h"

namespace {

template <typename T>
T& valueAs(const MDataHandle& h, int kind) {
  const mayahost_handle record = MHostAccess::handle(h);
  if (record.data && record.kind == kind) return *static_cast<T*>(record.data);
  return *static_cast<T*>(mayahost_scratch(record.block));
}

MDataHandle valueHandle(void* block, const void* attribute, MStatus* status) {
  mayahost_handle record;
  MHostAccess::report(mayahost_block_value(block, attribute, &record), status);
  return MHostAccess::handle(record);
}

MArrayDataHandle arrayHandle(void* block, const void* attribute, MStatus* status) {
  mayahost_array record;
  const int code = mayahost_block_array(block, attribute, &record);
  MHostAccess::report(code, status);
  return MHostAccess::array(record, code == MStatus::kSuccess);
}

}  // namespace

MPlug::MPlug() : ptr(nullptr), isNetworked(false) {}
MPlug::MPlug(const MPlug& other) = default;
MPlug::MPlug(const MObject&, const MObject& attribute)
    : ptr(MHostAccess::attribute(attribute)), isNetworked(false) {}
MPlug::MPlug(const void* plug, bool networked) : ptr(plug), isNetworked(networked) {}
MPlug::~MPlug() = default;
MPlug& MPlug::operator=(const MPlug& other) = default;

bool MPlug::operator==(const MObject& attribute) const {
  return ptr && ptr == MHostAccess::attribute(attribute);
}
bool MPlug::operator!=(const MObject& attribute) const { return !(*this == attribute); }

MObject MPlug::attribute(MStatus* status) const {
  MHostAccess::report(ptr ? MStatus::kSuccess : MStatus::kInvalidParameter, status);
  return MHostAccess::attributeObject(const_cast<void*>(ptr));
}

MDataHandle::MDataHandle() {
  const mayahost_handle nothing = {nullptr, nullptr, nullptr, MAYAHOST_KIND_NONE};
  memcpy(f_data, &nothing, sizeof nothing);
}
MDataHandle::MDataHandle(void* data) { memcpy(f_data, data, sizeof(mayahost_handle)); }

float& MDataHandle::asFloat() const { return valueAs<float>(*this, MAYAHOST_KIND_FLOAT); }
bool& MDataHandle::asBool() const { return valueAs<bool>(*this, MAYAHOST_KIND_BOOLEAN); }
MFloatVector& MDataHandle::asFloatVector() const {
  return valueAs<MFloatVector>(*this, MAYAHOST_KIND_COMPOUND);
}
void*& MDataHandle::asAddr() const { return valueAs<void*>(*this, MAYAHOST_KIND_ADDRESS); }

MDataHandle MDataHandle::child(const MObject& attribute) {
  const mayahost_handle parent = MHostAccess::handle(*this);
  mayahost_handle record;
  mayahost_handle_child(&parent, MHostAccess::attribute(attribute), &record);
  return MHostAccess::handle(record);
}
MDataHandle MDataHandle::child(const MPlug& plug) {
  const mayahost_handle parent = MHostAccess::handle(*this);
  mayahost_handle record;
  mayahost_handle_child(&parent, MHostAccess::attribute(plug), &record);
  return MHostAccess::handle(record);
}

void MDataHandle::setClean() {
  const mayahost_handle record = MHostAccess::handle(*this);
  mayahost_handle_set_clean(&record);
}

void MDataHandle::set(float value) { asFloat() = value; }
void MDataHandle::set(const MFloatVector& value) { asFloatVector() = value; }
void MDataHandle::set(float x, float y, float z) { asFloatVector() = MFloatVector(x, y, z); }

MArrayDataHandle::MArrayDataHandle() {
  const mayahost_array nothing = {nullptr, nullptr, 0, 0, 0};
  MHostAccess::setArray(*this, nothing, false);
}
MArrayDataHandle::MArrayDataHandle(void* data) {
  memcpy(f_data, data, sizeof(mayahost_array));
  f_valid = true;
}
MArrayDataHandle::MArrayDataHandle(const MDataHandle& handle, MStatus* status) {
  const mayahost_handle from = MHostAccess::handle(handle);
  mayahost_array record;
  const int code = mayahost_handle_array(&from, &record);
  MHostAccess::report(code, status);
  MHostAccess::setArray(*this, record, code == MStatus::kSuccess);
}

MDataHandle MArrayDataHandle::inputValue(MStatus* status) {
  const mayahost_array record = MHostAccess::array(*this);
  mayahost_handle value;
  MHostAccess::report(mayahost_array_element(&record, &value), status);
  return MHostAccess::handle(value);
}

MStatus MArrayDataHandle::next() {
  mayahost_array record = MHostAccess::array(*this);
  if (!f_valid || record.index + 1 >= record.count) return MStatus::kFailure;
  ++record.index;
  MHostAccess::setArray(*this, record, true);
  return MStatus::kSuccess;
}

unsigned int MArrayDataHandle::elementCount(MStatus* status) {
  MHostAccess::report(f_valid ? MStatus::kSuccess : MStatus::kInvalidParameter, status);
  return f_valid ? MHostAccess::array(*this).reported : 0;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* status) {
  const mayahost_array record = MHostAccess::array(*this);
  MHostAccess::report(
      f_valid && record.index < record.count ? MStatus::kSuccess : MStatus::kFailure, status);
  return record.index;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int index) {
  mayahost_array record = MHostAccess::array(*this);
  if (!f_valid || index >= record.count) return MStatus::kInvalidParameter;
  record.index = index;
  MHostAccess::setArray(*this, record, true);
  return MStatus::kSuccess;
}

MDataBlock::MDataBlock(void* block) : data(block) {}
MDataBlock::~MDataBlock() = default;

MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* status) {
  return valueHandle(data, MHostAccess::attribute(attribute), status);
}
MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* status) {
  return valueHandle(data, MHostAccess::attribute(plug), status);
}
MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* status) {
  return valueHandle(data, MHostAccess::attribute(attribute), status);
}
MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* status) {
  return valueHandle(data, MHostAccess::attribute(plug), status);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* status) {
  return arrayHandle(data, MHostAccess::attribute(attribute), status);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MPlug& plug, MStatus* status) {
  return arrayHandle(data, MHostAccess::attribute(plug), status);
}
