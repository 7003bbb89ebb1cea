#pragma once

#include <maya/MTypes.h>

class MPtrBase;

// An opaque handle to something the host owns: an attribute or a plug-in.
// Foundation's class, with every special member out of line, so it is passed
// and returned as the published one is.
class FND_EXPORT MObject {
 public:
  MObject();
  MObject(const MObject& other);
  ~MObject();
  MObject& operator=(const MObject& other);

  bool isNull() const;
  bool operator==(const MObject& other) const;
  bool operator!=(const MObject& other) const;

  static MObject kNullObj;

 private:
  friend class MHostAccess;
  MPtrBase* ptr;
  unsigned short tag;
};

MAYAHOST_LAYOUT(MObject, 8, 4, 16, 8);
