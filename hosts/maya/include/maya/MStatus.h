#pragma once

#include <maya/MTypes.h>

#if defined(REQUIRE_IOSTREAM)
#include <iosfwd>
// libc++ built for the Microsoft ABI without its library has no iostreams
// (its locales want the universal C runtime); there the stream names stay
// declared, which is all this devkit's declarations need.
#if defined(_WIN32) && defined(_LIBCPP_VERSION)
using std::istream;
using std::ostream;
#else
#include <iostream>
using std::cerr;
using std::cin;
using std::cout;
using std::endl;
using std::istream;
using std::ostream;
#endif
#endif

class MString;

// Three bytes: the status code, an internal code and the success flag. The
// constructors are out of line, so a status is returned through a hidden
// pointer as the published one is; the comparisons are inline.
class OPENMAYA_EXPORT MStatus {
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

  MStatus();
  MStatus(MStatusCode code);
  MStatus(const MStatus& other);
  MStatus& operator=(const MStatus& other);

  bool operator==(const MStatus& other) const { return statusCode_ == other.statusCode_; }
  bool operator==(MStatusCode code) const { return statusCode_ == code; }
  bool operator!=(const MStatus& other) const { return statusCode_ != other.statusCode_; }
  bool operator!=(MStatusCode code) const { return statusCode_ != code; }
#if MAYA_API_VERSION >= 850
  operator bool() const { return success_; }
#else
  operator bool() const;
#endif
  MStatusCode statusCode() const { return static_cast<MStatusCode>(statusCode_); }
  MString errorString() const;
  // Writes the description to standard error, after the given text and ": "
  // when that text is not empty.
  void perror(const char* text = NULL) const;
  void perror(const MString& text) const;

 private:
  friend class MHostAccess;
  unsigned char statusCode_;
  unsigned char internalStatusCode_;
  bool success_;
};

#if MAYA_API_VERSION < 850
inline MStatus::operator bool() const { return success_; }
#endif

typedef MStatus MS;

static_assert(sizeof(MStatus) == 3 && alignof(MStatus) == 1,
              "MStatus strays from the published devkit's three bytes");
static_assert(
    !__is_trivially_copyable(MStatus),
    "MStatus must not be trivially copyable, or it travels by value unlike the published class");
