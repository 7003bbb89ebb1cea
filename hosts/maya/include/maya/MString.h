#pragma once

#include <maya/MTypes.h>

class MStatus;

class OPENMAYA_EXPORT MString {
 public:
  MString();
  MString(const char* charString);
  MString(const char* charString, int length);
  MString(const MString& other);
  ~MString();
  MString& operator=(const MString& other);

  MString& operator+=(const MString& other);
  MString& operator+=(const char* other);
  const char* asChar() const;
  unsigned int length() const;
  bool operator==(const MString& other) const;
  bool operator==(const char* other) const;
  bool operator!=(const MString& other) const;
  bool operator!=(const char* other) const;

 private:
  friend class MHostAccess;
  struct {
    const char* text;
    void* implementation;
  } api_data;
};

MAYAHOST_LAYOUT(MString, 8, 4, 16, 8);
