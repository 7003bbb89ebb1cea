#pragma once

#include <maya/MTypes.h>

class MFnNumericData {
 public:
  enum Type {
    kInvalid,
    kBoolean,
    kByte,
    kChar,
    kShort,
    k2Short,
    k3Short,
    kLong,
    k2Long,
    k3Long,
    kFloat,
    k2Float,
    k3Float,
    kDouble,
    k2Double,
    k3Double,
    k4Double,
    kAddr,
    kLast
  };
};
