// OpenMaya's value classes: MStatus, MString, MTypeId and MFloatVector. They
// need nothing of the host's records.
#include <maya/MFloatVector.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

MStatus::MStatus() : statusCode_(kSuccess), internalStatusCode_(0), success_(true) {}
MStatus::MStatus(MStatusCode code)
    : statusCode_(static_cast<unsigned char>(code)),
      internalStatusCode_(0),
      success_(code == kSuccess) {}
MStatus::MStatus(const MStatus& other) = default;
MStatus& MStatus::operator=(const MStatus& other) = default;

MString MStatus::errorString() const {
  switch (statusCode_) {
    case kSuccess:
      return "(kSuccess): No error";
    case kFailure:
      return "(kFailure): Unexpected Internal Failure";
    case kInsufficientMemory:
      return "(kInsufficientMemory): Insufficient memory";
    case kInvalidParameter:
      return "(kInvalidParameter): Invalid parameter";
    case kLicenseFailure:
      return "(kLicenseFailure): License failure";
    case kUnknownParameter:
      return "(kUnknownParameter): Unknown parameter";
    case kNotImplemented:
      return "(kNotImplemented): Not implemented";
    case kNotFound:
      return "(kNotFound): Not found";
    case kEndOfFile:
      return "(kEndOfFile): End of file";
  }
  return "(unknown status code)";
}

void MStatus::perror(const char* text) const {
  const MString description = errorString();
  if (text && *text)
    fprintf(stderr, "%s: %s\n", text, description.asChar());
  else
    fprintf(stderr, "%s\n", description.asChar());
  fflush(stderr);
}

void MStatus::perror(const MString& text) const { perror(text.asChar()); }

// The text lives in one malloc'd buffer, never null; the second pointer is
// unused.
namespace {
// The length of text, stopping at limit (msvcrt.dll has no strnlen).
size_t boundedLength(const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n]) ++n;
  return n;
}

char* copyText(const char* text, size_t length) {
  char* copy = static_cast<char*>(malloc(length + 1));
  if (!copy) abort();
  if (length) memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}
}  // namespace

MString::MString() : api_data{copyText("", 0), nullptr} {}
MString::MString(const char* text)
    : api_data{text ? copyText(text, strlen(text)) : copyText("", 0), nullptr} {}
MString::MString(const char* text, int length)
    : api_data{text && length > 0 ? copyText(text, boundedLength(text, static_cast<size_t>(length)))
                                  : copyText("", 0),
               nullptr} {}
MString::MString(const MString& other)
    : api_data{copyText(other.api_data.text, strlen(other.api_data.text)), nullptr} {}
MString::~MString() { free(const_cast<char*>(api_data.text)); }
MString& MString::operator=(const MString& other) {
  if (this != &other) {
    char* copy = copyText(other.api_data.text, strlen(other.api_data.text));
    free(const_cast<char*>(api_data.text));
    api_data.text = copy;
  }
  return *this;
}

MString& MString::operator+=(const MString& other) { return *this += other.api_data.text; }
MString& MString::operator+=(const char* other) {
  if (!other || !*other) return *this;
  const size_t have = strlen(api_data.text), add = strlen(other);
  char* joined = static_cast<char*>(malloc(have + add + 1));
  if (!joined) abort();
  memcpy(joined, api_data.text, have);
  memcpy(joined + have, other, add + 1);
  free(const_cast<char*>(api_data.text));
  api_data.text = joined;
  return *this;
}
const char* MString::asChar() const { return api_data.text; }
unsigned int MString::length() const { return static_cast<unsigned int>(strlen(api_data.text)); }
bool MString::operator==(const MString& other) const {
  return strcmp(api_data.text, other.api_data.text) == 0;
}
bool MString::operator==(const char* other) const {
  return other && strcmp(api_data.text, other) == 0;
}
bool MString::operator!=(const MString& other) const { return !(*this == other); }
bool MString::operator!=(const char* other) const { return !(*this == other); }

MTypeId::MTypeId() { id_.value = 0; }
MTypeId::MTypeId(unsigned int id) { id_.value = id; }
// A prefix of 0 is the plain id; otherwise the prefix takes the high bits.
MTypeId::MTypeId(unsigned int prefix, unsigned int id) { id_.value = (prefix << 8) | (id & 0xff); }
MTypeId::MTypeId(const MTypeId& other) { id_.value = other.id_.value; }
MTypeId::~MTypeId() = default;
MTypeId& MTypeId::operator=(const MTypeId& other) {
  id_.value = other.id_.value;
  return *this;
}
unsigned int MTypeId::id() const { return id_.value; }

MFloatVector::MFloatVector() : x(0.0f), y(0.0f), z(0.0f) {}
MFloatVector::MFloatVector(const MFloatVector& other) : x(other.x), y(other.y), z(other.z) {}
MFloatVector::MFloatVector(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
MFloatVector::MFloatVector(const float xyz[3]) : x(xyz[0]), y(xyz[1]), z(xyz[2]) {}
MFloatVector::~MFloatVector() = default;
MFloatVector& MFloatVector::operator=(const MFloatVector& other) {
  x = other.x;
  y = other.y;
  z = other.z;
  return *this;
}

float& MFloatVector::operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }
float MFloatVector::operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
MFloatVector MFloatVector::operator-() const { return MFloatVector(-x, -y, -z); }
MFloatVector MFloatVector::operator+(const MFloatVector& o) const {
  return MFloatVector(x + o.x, y + o.y, z + o.z);
}
MFloatVector MFloatVector::operator-(const MFloatVector& o) const {
  return MFloatVector(x - o.x, y - o.y, z - o.z);
}
MFloatVector MFloatVector::operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
float MFloatVector::operator*(const MFloatVector& o) const { return x * o.x + y * o.y + z * o.z; }
float MFloatVector::length() const { return sqrtf(x * x + y * y + z * z); }
MStatus MFloatVector::normalize() {
  const float len = length();
  if (len > 0.0f) {
    x /= len;
    y /= len;
    z /= len;
  }
  return MStatus::kSuccess;
}
