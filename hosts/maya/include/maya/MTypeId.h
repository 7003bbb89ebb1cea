#pragma once

#include <maya/MTypes.h>

class OPENMAYA_EXPORT MTypeId {
 public:
  MTypeId();
  MTypeId(unsigned int id);
  MTypeId(unsigned int prefix, unsigned int id);
  MTypeId(const MTypeId& other);
  ~MTypeId();
  MTypeId& operator=(const MTypeId& other);

  unsigned int id() const;

 private:
  friend class MHostAccess;
  union {
    unsigned int value;
    unsigned char bytes[4];
  } id_;
};

MAYAHOST_LAYOUT(MTypeId, 4, 4, 4, 4);
