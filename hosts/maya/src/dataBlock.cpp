// Data blocks and the handles that read and write them during compute.
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

#include <cstring>

#include "hostInternals.h"
#include "mayahost/testSwitches.h"

using mayahost::AttributeKind;
using mayahost::detail::AttributeDef;
using mayahost::detail::Block;

namespace mayahost::detail {

// Null when the value does not exist in this block.
unsigned char* Block::storage(const AttributeDef* a, unsigned element) {
  if (!holds(a)) return nullptr;
  if (!a->arrayRoot) return reinterpret_cast<unsigned char*>(values.data()) + a->offset;
  const ArrayStore& store = arrays[a->arrayRoot->arraySlot];
  if (element >= store.count) return nullptr;
  const std::size_t stride = type->arrays[a->arrayRoot->arraySlot].stride;
  return reinterpret_cast<unsigned char*>(const_cast<std::uint64_t*>(store.bytes.data())) +
         element * stride + a->offset;
}

}  // namespace mayahost::detail

namespace {

alignas(16) thread_local unsigned char tScratch[64];

unsigned char* scratch(Block* b) {
  unsigned char* s = b ? b->scratch : tScratch;
  std::memset(s, 0, 64);
  return s;
}

MDataHandle valueHandle(Block* b, const AttributeDef* a, MStatus* status) {
  // A whole array is read through inputArrayValue, not as one value.
  unsigned char* data = (b && a && !a->array) ? b->storage(a, 0) : nullptr;
  if (status) *status = data ? MStatus::kSuccess : MStatus::kInvalidParameter;
  return MHostAccess::handle(data ? a : nullptr, data, b);
}

MArrayDataHandle arrayHandle(Block* b, const AttributeDef* a, MStatus* status) {
  if (!b || !a || !a->array || a->arraySlot < 0 || !b->holds(a)) {
    if (status) *status = MStatus::kInvalidParameter;
    return MArrayDataHandle();
  }
  Block::ArrayStore& store = b->arrays[a->arraySlot];
  const unsigned reported =
      store.reportedCount < 0 ? store.count : static_cast<unsigned>(store.reportedCount);
  if (status) *status = MStatus::kSuccess;
  return MHostAccess::arrayHandle(a, b, reinterpret_cast<unsigned char*>(store.bytes.data()),
                                  static_cast<unsigned>(b->type->arrays[a->arraySlot].stride),
                                  store.count, reported);
}

template <typename T>
T& as(MDataHandle& h, AttributeKind kind) {
  const AttributeDef* a = MHostAccess::def(h);
  void* data = MHostAccess::data(h);
  if (a && data && a->kind == kind) return *static_cast<T*>(data);
  return *reinterpret_cast<T*>(scratch(MHostAccess::block(h)));
}

void cleanFamily(Block* b, const AttributeDef* a) {
  b->dirty[a->index] = 0;
  for (const AttributeDef* c : a->children) cleanFamily(b, c);
}

}  // namespace

MObject MPlug::attribute(MStatus* status) const {
  if (status) *status = attribute_ ? MStatus::kSuccess : MStatus::kInvalidParameter;
  return MHostAccess::object(attribute_);
}

float& MDataHandle::asFloat() { return as<float>(*this, AttributeKind::Float); }
bool& MDataHandle::asBool() { return as<bool>(*this, AttributeKind::Boolean); }
MFloatVector& MDataHandle::asFloatVector() {
  return as<MFloatVector>(*this, AttributeKind::Compound);
}
void*& MDataHandle::asAddr() { return as<void*>(*this, AttributeKind::Address); }

MDataHandle MDataHandle::child(const MObject& attribute) {
  const auto* a = static_cast<const AttributeDef*>(attribute_);
  const AttributeDef* c = MHostAccess::def(attribute);
  if (a && data_ && c && c->parent == a)
    return MHostAccess::handle(c, static_cast<unsigned char*>(data_) + (c->offset - a->offset),
                               static_cast<Block*>(block_));
  return MHostAccess::handle(nullptr, nullptr, static_cast<Block*>(block_));
}

void MDataHandle::setClean() {
  const auto* a = static_cast<const AttributeDef*>(attribute_);
  if (a && block_) cleanFamily(static_cast<Block*>(block_), a);
}

void MDataHandle::set(float value) { asFloat() = value; }
void MDataHandle::set(const MFloatVector& value) { asFloatVector() = value; }
void MDataHandle::set(float x, float y, float z) { asFloatVector() = MFloatVector(x, y, z); }

MDataHandle MArrayDataHandle::inputValue(MStatus* status) {
  const auto* a = static_cast<const AttributeDef*>(attribute_);
  if (!a || index_ >= count_) {
    if (status) *status = MStatus::kInvalidParameter;
    return MHostAccess::handle(nullptr, nullptr, static_cast<Block*>(block_));
  }
  if (status) *status = MStatus::kSuccess;
  return MHostAccess::handle(a, elements_ + index_ * stride_, static_cast<Block*>(block_));
}

MStatus MArrayDataHandle::next() {
  if (index_ + 1 >= count_) return MStatus::kFailure;
  ++index_;
  return MStatus::kSuccess;
}

unsigned int MArrayDataHandle::elementCount(MStatus* status) {
  if (status) *status = attribute_ ? MStatus::kSuccess : MStatus::kInvalidParameter;
  return reportedCount_;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* status) {
  const bool valid = attribute_ && index_ < count_;
  if (status) *status = valid ? MStatus::kSuccess : MStatus::kFailure;
  return index_;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int index) {
  if (index >= count_) return MStatus::kInvalidParameter;
  index_ = index;
  return MStatus::kSuccess;
}

MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* status) {
  return valueHandle(static_cast<Block*>(block_), MHostAccess::def(attribute), status);
}
MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* status) {
  return valueHandle(static_cast<Block*>(block_), MHostAccess::def(attribute), status);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* status) {
  return arrayHandle(static_cast<Block*>(block_), MHostAccess::def(attribute), status);
}
MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* status) {
  return valueHandle(static_cast<Block*>(block_), MHostAccess::def(plug), status);
}
MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* status) {
  return valueHandle(static_cast<Block*>(block_), MHostAccess::def(plug), status);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MPlug& plug, MStatus* status) {
  return arrayHandle(static_cast<Block*>(block_), MHostAccess::def(plug), status);
}
