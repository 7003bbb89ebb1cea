// The SDK classes' private parts, as the host's side of OpenMaya and
// Foundation sees them: which host record each object designates.
#pragma once

#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnBase.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <string.h>

#include "../core/hostCore.h"

static_assert(sizeof(mayahost_handle) <= sizeof(MDataHandle), "a handle's record must fit it");
static_assert(sizeof(mayahost_array) <= sizeof(MArrayDataHandle) - 1,
              "an array handle's record must fit it");

class MHostAccess {
 public:
  static void* target(const MObject& o, unsigned short tag) {
    return o.tag == tag ? static_cast<void*>(o.ptr) : nullptr;
  }
  static void* attribute(const MObject& o) { return target(o, MAYAHOST_OBJECT_ATTRIBUTE); }
  static void set(MObject& o, void* target, unsigned short tag) {
    o.ptr = static_cast<MPtrBase*>(target);
    o.tag = target ? tag : static_cast<unsigned short>(MAYAHOST_OBJECT_NONE);
  }
  static MObject attributeObject(void* attribute) {
    MObject o;
    set(o, attribute, MAYAHOST_OBJECT_ATTRIBUTE);
    return o;
  }

  static const void* attribute(const MPlug& p) { return p.ptr; }
  static MPlug plug(const void* attribute) { return MPlug(attribute, false); }

  static mayahost_handle handle(const MDataHandle& h) {
    mayahost_handle out;
    memcpy(&out, h.f_data, sizeof out);
    return out;
  }
  static MDataHandle handle(const mayahost_handle& h) {
    MDataHandle out;
    memcpy(out.f_data, &h, sizeof h);
    return out;
  }
  static mayahost_array array(const MArrayDataHandle& a) {
    mayahost_array out;
    memcpy(&out, a.f_data, sizeof out);
    return out;
  }
  static void setArray(MArrayDataHandle& a, const mayahost_array& value, bool valid) {
    memcpy(a.f_data, &value, sizeof value);
    a.f_valid = valid;
  }
  static MArrayDataHandle array(const mayahost_array& value, bool valid) {
    MArrayDataHandle out;
    setArray(out, value, valid);
    return out;
  }

  static MDataBlock dataBlock(void* block) { return MDataBlock(block); }

  // The host's record of a node, which MPxNode's constructor made.
  static void* record(const MPxNode& node) { return node.instance; }

  static void* current(const MFnBase& fn) { return fn.f_ptr; }
  static void setCurrent(MFnBase& fn, void* target) { fn.f_ptr = static_cast<MPtrBase*>(target); }

  static MStatus status(int code) { return MStatus(static_cast<MStatus::MStatusCode>(code)); }
  // Fills a caller's optional ReturnStatus.
  static void report(int code, MStatus* status) {
    if (status) *status = MHostAccess::status(code);
  }
  static int code(const MStatus& s) { return s.statusCode_; }
};
