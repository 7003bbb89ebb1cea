#pragma once

#include <maya/MDataHandle.h>
#include <maya/MLibraryExport.h>
#include <maya/MStatus.h>

#include <cstddef>

class OPENMAYA_EXPORT MArrayDataHandle {
 public:
  MArrayDataHandle() = default;

  MDataHandle inputValue(MStatus* ReturnStatus = NULL);
  // Fails, and stays on the last element, when there is no further element.
  MStatus next();
  unsigned int elementCount(MStatus* ReturnStatus = NULL);
  unsigned int elementIndex(MStatus* ReturnStatus = NULL);
  MStatus jumpToElement(unsigned int index);

 private:
  friend class MHostAccess;
  const void* attribute_ = nullptr;
  void* block_ = nullptr;
  unsigned char* elements_ = nullptr;
  unsigned int stride_ = 0;
  unsigned int count_ = 0;
  unsigned int reportedCount_ = 0;
  unsigned int index_ = 0;
};
