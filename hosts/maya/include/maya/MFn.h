#pragma once

#include <maya/MTypes.h>

// The kinds of object a function set works on. The plug-in only names the
// type; the enumerators here are the few this host's function sets report.
class FND_EXPORT MFn {
 public:
  enum Type {
    kInvalid,
    kBase,
    kNamedObject,
    kAttribute,
    kNumericAttribute,
    kLightDataAttribute,
    kPlugin,
    kLast
  };
};
