#pragma once

#include <maya/MFn.h>
#include <maya/MTypes.h>

class MObject;
class MPtrBase;
class MStatus;

// The base of every function set. Its virtual table has six slots: the
// destructor, type(), the two setObject overloads (which the Microsoft ABI
// orders in reverse of their declaration, so the non-const one is declared
// first as published), className() and objectChanged().
class OPENMAYA_EXPORT MFnBase {
 public:
  virtual ~MFnBase();
  virtual MFn::Type type() const;
  bool hasObj(MFn::Type type) const;
  MObject object(MStatus* ReturnStatus = NULL) const;
  virtual MStatus setObject(MObject& object);
  virtual MStatus setObject(const MObject& object);

 protected:
  MFnBase();
  virtual const char* className() const;
  virtual bool objectChanged(MFn::Type type, MStatus* ReturnStatus);

  friend class MHostAccess;
  MPtrBase* f_ptr;
  const MPtrBase* f_constptr;
  bool f_own;

 private:
  MFnBase& operator=(const MFnBase&);
  MFnBase* operator&() const;
};

MAYAHOST_LAYOUT(MFnBase, 16, 4, 32, 8);
