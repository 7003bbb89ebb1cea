#pragma once

#include <maya/MTypes.h>

#include <string.h>

class MFloatVector;
class MObject;
class MPlug;
class MStatus;

// A view of one attribute's value in a data block. The references it hands
// out designate the block's own storage; a handle that designates nothing
// hands out a zeroed scratch value instead. Copies are plain byte copies,
// inline, as in the published devkit.
class OPENMAYA_EXPORT MDataHandle {
 public:
  MDataHandle();
  MDataHandle(const MDataHandle& other) {
    memcpy(static_cast<void*>(this), &other, sizeof(MDataHandle));
  }
  MDataHandle& operator=(const MDataHandle& other) {
    memcpy(static_cast<void*>(this), &other, sizeof(MDataHandle));
    return *this;
  }

  float& asFloat() const;
  bool& asBool() const;
  MFloatVector& asFloatVector() const;
  void*& asAddr() const;
  MDataHandle child(const MObject& attribute);
  MDataHandle child(const MPlug& plug);
  void setClean();
  void set(float value);
  void set(const MFloatVector& value);
  void set(float x, float y, float z);

 private:
  friend class MHostAccess;
  friend class MArrayDataHandle;
  friend class MDataBlock;
  MDataHandle(void* data);
#if defined(Bits64_)
  char f_data[32];
#else
  union {
    char f_data[16];
    int f_align;
  };
#endif
};

MAYAHOST_LAYOUT(MDataHandle, 16, 4, 32, 1);
