#pragma once

#include <maya/MLibraryExport.h>

#include <string>

class FND_EXPORT MString {
 public:
  MString();
  MString(const char* text);
  MString(const MString& other);
  MString& operator=(const MString& other);
  ~MString();

  MString& operator+=(const MString& other);
  MString& operator+=(const char* text);
  const char* asChar() const;
  unsigned int length() const;
  bool operator==(const MString& other) const;
  bool operator==(const char* text) const;
  bool operator!=(const MString& other) const;
  bool operator!=(const char* text) const;

 private:
  std::string text_;
};
