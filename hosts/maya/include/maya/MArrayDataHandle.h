#pragma once

#include <maya/MTypes.h>

#include <string.h>

class MDataHandle;
class MStatus;

// An array attribute's elements, walked with next(). Copies are plain byte
// copies, inline; the default constructor is private, as published, so the
// only way to get one is from a data block or a data handle.
class OPENMAYA_EXPORT MArrayDataHandle {
 public:
  MArrayDataHandle(const MDataHandle& handle, MStatus* ReturnStatus = NULL);
  MArrayDataHandle(const MArrayDataHandle& other) {
    memcpy(static_cast<void*>(this), &other, sizeof(MArrayDataHandle));
  }
  MArrayDataHandle& operator=(const MArrayDataHandle& other) {
    memcpy(static_cast<void*>(this), &other, sizeof(MArrayDataHandle));
    return *this;
  }

  MDataHandle inputValue(MStatus* ReturnStatus = NULL);
  // Fails, and stays on the last element, when there is no further element.
  MStatus next();
  unsigned int elementCount(MStatus* ReturnStatus = NULL);
  unsigned int elementIndex(MStatus* ReturnStatus = NULL);
  MStatus jumpToElement(unsigned int index);

 private:
  friend class MHostAccess;
  friend class MDataBlock;
  MArrayDataHandle();
  MArrayDataHandle(void* data);
#if defined(Bits64_)
  char f_data[40];
#else
  char f_data[20];
#endif
  bool f_valid;
};

MAYAHOST_LAYOUT(MArrayDataHandle, 21, 1, 41, 1);
