// Data blocks as compute sees them: finding a value's storage for a handle,
// array elements, children and clean marks.
#include <cstring>

#include "internals.h"

using mayahost::AttributeKind;
using mayahost::Status;
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

const AttributeDef* def(const void* attribute) {
  return static_cast<const AttributeDef*>(attribute);
}

int fill(mayahost_handle* out, const AttributeDef* a, unsigned char* data, void* block) {
  out->attribute = data ? a : nullptr;
  out->data = data;
  out->block = block;
  out->kind = data ? mayahost::detail::kindRecord(a->kind).code : MAYAHOST_KIND_NONE;
  return data ? Status::kSuccess : Status::kInvalidParameter;
}

int noArray(mayahost_array* out, void* block) {
  *out = mayahost_array{nullptr, block, 0, 0, 0};
  return Status::kInvalidParameter;
}

void cleanFamily(Block* b, const AttributeDef* a) {
  b->dirty[a->index] = 0;
  for (const AttributeDef* c : a->children) cleanFamily(b, c);
}

}  // namespace

extern "C" {

int mayahost_block_value(void* block, const void* attribute, mayahost_handle* out) {
  auto* b = static_cast<Block*>(block);
  const AttributeDef* a = def(attribute);
  // A whole array is read through inputArrayValue, not as one value.
  unsigned char* data = (b && a && !a->array) ? b->storage(a, 0) : nullptr;
  return fill(out, a, data, block);
}

int mayahost_block_array(void* block, const void* attribute, mayahost_array* out) {
  auto* b = static_cast<Block*>(block);
  const AttributeDef* a = def(attribute);
  if (!b || !a || !a->array || a->arraySlot < 0 || !b->holds(a)) return noArray(out, block);
  const Block::ArrayStore& store = b->arrays[a->arraySlot];
  const unsigned reported =
      store.reportedCount < 0 ? store.count : static_cast<unsigned>(store.reportedCount);
  *out = mayahost_array{a, block, 0, store.count, reported};
  return Status::kSuccess;
}

int mayahost_handle_array(const mayahost_handle* handle, mayahost_array* out) {
  return mayahost_block_array(handle->block, handle->attribute, out);
}

int mayahost_array_element(const mayahost_array* array, mayahost_handle* out) {
  auto* b = static_cast<Block*>(array->block);
  const AttributeDef* a = def(array->attribute);
  unsigned char* data = nullptr;
  if (b && a && array->index < array->count) {
    const Block::ArrayStore& store = b->arrays[a->arraySlot];
    // The block may have shrunk since the handle was made.
    if (array->index < store.count)
      data = reinterpret_cast<unsigned char*>(const_cast<std::uint64_t*>(store.bytes.data())) +
             array->index * b->type->arrays[a->arraySlot].stride;
  }
  return fill(out, a, data, array->block);
}

int mayahost_handle_child(const mayahost_handle* handle, const void* child, mayahost_handle* out) {
  const AttributeDef* a = def(handle->attribute);
  const AttributeDef* c = def(child);
  if (a && handle->data && c && c->parent == a)
    return fill(out, c, static_cast<unsigned char*>(handle->data) + (c->offset - a->offset),
                handle->block);
  return fill(out, nullptr, nullptr, handle->block);
}

void* mayahost_scratch(void* block) {
  unsigned char* s = block ? static_cast<Block*>(block)->scratch : tScratch;
  std::memset(s, 0, 64);
  return s;
}

void mayahost_handle_set_clean(const mayahost_handle* handle) {
  const AttributeDef* a = def(handle->attribute);
  if (a && handle->block) cleanFamily(static_cast<Block*>(handle->block), a);
}

}  // extern "C"
