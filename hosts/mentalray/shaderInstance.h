// One instance of a declared shader: its shader record with the parameter
// block inline, laid out from the declaration and filled with its defaults,
// then overridden by parameter name.
#pragma once

#include <shader.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "hosts/mentalray/declaration.h"

namespace mrhost {

class ShaderInstance {
 public:
  // Room for arrayCapacity elements per array parameter.
  explicit ShaderInstance(const ShaderDecl& decl, int arrayCapacity = 16);
  ShaderInstance(const ShaderInstance&) = delete;
  ShaderInstance& operator=(const ShaderInstance&) = delete;

  // The shader record to put into miState::shader, and the block for the entry.
  miFunction* function() { return function_; }
  void* parameters() { return at(0); }
  const ShaderDecl& declaration() const { return decl_; }

  // Each throws Error for an unknown name or a parameter of another type.
  void setColor(std::string_view name, const miColor& value);
  void setVector(std::string_view name, const miVector& value);
  void setScalar(std::string_view name, miScalar value);
  void setBoolean(std::string_view name, bool value);
  void setInteger(std::string_view name, miInteger value);
  // Fills an array of lights: its count, and its index so that the elements
  // start firstIndex slots after where the renderer would put them.
  void setLights(std::string_view name, const std::vector<miTag>& lights, int firstIndex = 0);

  // Has the parameter driven by the shader with this tag (0: by none again).
  void drive(std::string_view name, miTag shader);
  // The same for the field at a byte offset, such as an array's index or count.
  void driveField(int offset, miTag shader);

  // Byte offset of a parameter (of an array, of its first-element field).
  int offsetOf(std::string_view name) const;

 private:
  const ParamDecl& param(std::string_view name, ParamType type) const;
  // The block's bytes, counted from the record's member parameters.
  char* at(int offset) {
    return reinterpret_cast<char*>(storage_.data()) + offsetof(miFunction, parameters) + offset;
  }
  int elementsOffset(const ParamDecl& param) const;

  ShaderDecl decl_;
  int arrayCapacity_;
  int ghostOffset_;
  // The record, its block with the array elements from parameters on, then
  // the ghost tags; 8-byte units align it as the record needs on any target.
  std::vector<std::uint64_t> storage_;
  miFunction* function_ = nullptr;
};

}  // namespace mrhost
