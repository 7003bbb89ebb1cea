// Reader of shader declaration files (.mi): which shaders exist, their result
// type, version and parameters, and the byte layout of their parameter block.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mrhost {

enum class ParamType { Color, Vector, Scalar, Boolean, Integer, Light };

// Bytes one value of the type takes in a parameter block.
int typeSize(ParamType type);

struct ParamDecl {
  std::string name;
  ParamType type = ParamType::Scalar;
  bool isArray = false;
  // Colour: r, g, b, a (a is 1 when the declaration gives three values);
  // vector: x, y, z; scalar, boolean and integer: one value. Empty: zero.
  std::vector<double> defaults;
  // Byte offset in the block. An array is laid out as its index at offset,
  // its count at offset + 4 and its first element at offset + 8.
  int offset = 0;
  int line = 0;
};

struct ShaderDecl {
  std::string name;
  ParamType result = ParamType::Color;
  std::vector<ParamDecl> params;
  int version = 0;
  std::vector<std::string> apply;
  int blockSize = 0;   // bytes up to the end of the last field
  std::string source;  // file the declaration came from
  int line = 0;

  // nullptr when the shader has no parameter of that name.
  const ParamDecl* find(std::string_view paramName) const;
};

// Both throw Error "<source>:<line>: <what is wrong>" for text they cannot read.
std::vector<ShaderDecl> parseDeclarations(std::string_view text, const std::string& source);
std::vector<ShaderDecl> readDeclarationFile(const std::string& path);

// The declaration of the named shader; throws Error naming the file when absent.
const ShaderDecl& findDeclaration(const std::vector<ShaderDecl>& decls, std::string_view name);

}  // namespace mrhost
