#pragma once

#include <maya/MTypes.h>

class MTypeId {
 public:
  MTypeId(unsigned int id) : id_(id) {}
  unsigned int id() const { return id_; }

 private:
  unsigned int id_;
};
