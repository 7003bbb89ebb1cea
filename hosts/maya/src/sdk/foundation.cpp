// Foundation: MObject, whose special members are all out of line, as in the
// published library. It counts the objects alive, so tests can see that a
// plug-in's static handles die when the plug-in is unloaded rather than when
// the process ends.
#include <maya/MObject.h>

#include "hostAccess.h"

namespace {
long gLiveObjects = 0;
void live(long delta) { __atomic_fetch_add(&gLiveObjects, delta, __ATOMIC_RELAXED); }
}  // namespace

extern "C" FND_EXPORT long mayahost_live_objects(void) {
  return __atomic_load_n(&gLiveObjects, __ATOMIC_RELAXED);
}

MObject MObject::kNullObj;

MObject::MObject() : ptr(nullptr), tag(MAYAHOST_OBJECT_NONE) { live(1); }
MObject::MObject(const MObject& other) : ptr(other.ptr), tag(other.tag) { live(1); }
MObject::~MObject() { live(-1); }
MObject& MObject::operator=(const MObject& other) {
  ptr = other.ptr;
  tag = other.tag;
  return *this;
}

bool MObject::isNull() const { return ptr == nullptr; }
bool MObject::operator==(const MObject& other) const {
  return ptr == other.ptr && tag == other.tag;
}
bool MObject::operator!=(const MObject& other) const { return !(*this == other); }
