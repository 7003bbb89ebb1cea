#include "hosts/mentalray/shaderInstance.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "hosts/mentalray/error.h"

namespace mrhost {
namespace {

const char* typeName(ParamType type) {
  switch (type) {
    case ParamType::Color:
      return "color";
    case ParamType::Vector:
      return "vector";
    case ParamType::Scalar:
      return "scalar";
    case ParamType::Boolean:
      return "boolean";
    case ParamType::Integer:
      return "integer";
    case ParamType::Light:
      return "light";
  }
  return "?";
}

}  // namespace

// Array elements past the first go after the fixed block, except for an
// array that ends the block, whose elements simply continue past its end.
int ShaderInstance::elementsOffset(const ParamDecl& param) const {
  const int first = param.offset + 8;
  if (first + typeSize(param.type) == decl_.blockSize) return first;
  int offset = decl_.blockSize;
  for (const ParamDecl& other : decl_.params) {
    if (&other == &param) break;
    if (other.isArray && other.offset + 8 + typeSize(other.type) != decl_.blockSize)
      offset += arrayCapacity_ * typeSize(other.type);
  }
  return offset;
}

ShaderInstance::ShaderInstance(const ShaderDecl& decl, int arrayCapacity)
    : decl_(decl), arrayCapacity_(arrayCapacity < 1 ? 1 : arrayCapacity) {
  int size = decl_.blockSize;
  for (const ParamDecl& param : decl_.params)
    if (param.isArray) size += arrayCapacity_ * typeSize(param.type);
  ghostOffset_ = (size + 7) / 8 * 8;
  static_assert(alignof(miFunction) <= alignof(std::uint64_t), "the record's storage");
  const std::size_t recordBytes = offsetof(miFunction, parameters) + 2 * std::size_t(ghostOffset_);
  storage_.assign((std::max(recordBytes, sizeof(miFunction)) + 7) / 8, 0);
  function_ = new (storage_.data()) miFunction{};

  for (const ParamDecl& param : decl_.params) {
    if (param.isArray) {
      const miInteger index = (elementsOffset(param) - (param.offset + 8)) / typeSize(param.type);
      std::memcpy(at(param.offset), &index, sizeof index);
      continue;
    }
    for (std::size_t i = 0; i < param.defaults.size(); ++i) {
      char* field = at(param.offset + 4 * static_cast<int>(i));
      if (param.type == ParamType::Boolean || param.type == ParamType::Integer) {
        const miInteger value = static_cast<miInteger>(param.defaults[i]);
        std::memcpy(field, &value, sizeof value);
      } else {
        const miScalar value = static_cast<miScalar>(param.defaults[i]);
        std::memcpy(field, &value, sizeof value);
      }
    }
  }
  function_->ghost_offs = 0;
  function_->parameter_size = ghostOffset_;
}

const ParamDecl& ShaderInstance::param(std::string_view name, ParamType type) const {
  const ParamDecl* found = decl_.find(name);
  if (!found)
    throw Error("shader \"" + decl_.name + "\" has no parameter \"" + std::string(name) + "\"");
  if (found->type != type)
    throw Error("parameter \"" + std::string(name) + "\" of shader \"" + decl_.name + "\" is " +
                (found->isArray ? "an array of " : "") + typeName(found->type) + ", not " +
                typeName(type));
  return *found;
}

void ShaderInstance::setColor(std::string_view name, const miColor& value) {
  std::memcpy(at(param(name, ParamType::Color).offset), &value, sizeof value);
}
void ShaderInstance::setVector(std::string_view name, const miVector& value) {
  std::memcpy(at(param(name, ParamType::Vector).offset), &value, sizeof value);
}
void ShaderInstance::setScalar(std::string_view name, miScalar value) {
  std::memcpy(at(param(name, ParamType::Scalar).offset), &value, sizeof value);
}
void ShaderInstance::setBoolean(std::string_view name, bool value) {
  const miBoolean stored = value ? miTRUE : miFALSE;
  std::memcpy(at(param(name, ParamType::Boolean).offset), &stored, sizeof stored);
}
void ShaderInstance::setInteger(std::string_view name, miInteger value) {
  std::memcpy(at(param(name, ParamType::Integer).offset), &value, sizeof value);
}

void ShaderInstance::setLights(std::string_view name, const std::vector<miTag>& lights,
                               int firstIndex) {
  const ParamDecl& array = param(name, ParamType::Light);
  if (!array.isArray) throw Error("parameter \"" + std::string(name) + "\" is not an array");
  if (firstIndex < 0 || lights.size() + static_cast<std::size_t>(firstIndex) >
                            static_cast<std::size_t>(arrayCapacity_))
    throw Error("shader \"" + decl_.name + "\": " + std::to_string(lights.size()) +
                " lights from index " + std::to_string(firstIndex) + " exceed the room for " +
                std::to_string(arrayCapacity_));
  const int elements = elementsOffset(array);
  const miInteger index = (elements - (array.offset + 8)) / 4 + firstIndex;
  const miInteger count = static_cast<miInteger>(lights.size());
  std::memcpy(at(array.offset), &index, sizeof index);
  std::memcpy(at(array.offset + 4), &count, sizeof count);
  if (!lights.empty())
    std::memcpy(at(elements + 4 * firstIndex), lights.data(), lights.size() * sizeof(miTag));
}

void ShaderInstance::drive(std::string_view name, miTag shader) {
  driveField(offsetOf(name), shader);
}

void ShaderInstance::driveField(int offset, miTag shader) {
  if (offset < 0 || offset % 4 != 0 || offset >= ghostOffset_)
    throw Error("shader \"" + decl_.name + "\" has no field at offset " + std::to_string(offset));
  std::memcpy(at(offset + ghostOffset_), &shader, sizeof shader);
  if (shader != 0) function_->ghost_offs = ghostOffset_;
}

int ShaderInstance::offsetOf(std::string_view name) const {
  const ParamDecl* found = decl_.find(name);
  if (!found)
    throw Error("shader \"" + decl_.name + "\" has no parameter \"" + std::string(name) + "\"");
  return found->isArray ? found->offset + 8 : found->offset;
}

}  // namespace mrhost
