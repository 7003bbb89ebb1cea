#pragma once

#include <maya/MLibraryExport.h>
#include <maya/MString.h>

#include <cstddef>

class FND_EXPORT MStatus {
 public:
  enum MStatusCode {
    kSuccess = 0,
    kFailure,
    kInsufficientMemory,
    kInvalidParameter,
    kLicenseFailure,
    kUnknownParameter,
    kNotImplemented,
    kNotFound,
    kEndOfFile
  };

  MStatus() : code_(kSuccess) {}
  MStatus(MStatusCode code) : code_(code) {}
  MStatus(const MStatus& other) = default;
  MStatus& operator=(const MStatus& other) = default;

  bool operator==(MStatusCode code) const { return code_ == code; }
  bool operator!=(MStatusCode code) const { return code_ != code; }
  explicit operator bool() const { return code_ == kSuccess; }
  MStatusCode statusCode() const { return code_; }
  MString errorString() const;
  // Writes the description to standard error, after the given text and ": "
  // when that text is not empty.
  void perror(const char* text = NULL) const;
  void perror(const MString& text) const;

 private:
  MStatusCode code_;
};

#define MS MStatus
