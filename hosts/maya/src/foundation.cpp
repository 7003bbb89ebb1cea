#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstdio>

MString::MString() = default;
MString::MString(const char* text) : text_(text ? text : "") {}
MString::MString(const MString& other) = default;
MString& MString::operator=(const MString& other) = default;
MString::~MString() = default;

MString& MString::operator+=(const MString& other) {
  text_ += other.text_;
  return *this;
}
MString& MString::operator+=(const char* text) {
  if (text) text_ += text;
  return *this;
}
const char* MString::asChar() const { return text_.c_str(); }
unsigned int MString::length() const { return static_cast<unsigned int>(text_.size()); }
bool MString::operator==(const MString& other) const { return text_ == other.text_; }
bool MString::operator==(const char* text) const { return text && text_ == text; }
bool MString::operator!=(const MString& other) const { return !(*this == other); }
bool MString::operator!=(const char* text) const { return !(*this == text); }

MString MStatus::errorString() const {
  switch (code_) {
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
  if (text && *text)
    std::fprintf(stderr, "%s: %s\n", text, errorString().asChar());
  else
    std::fprintf(stderr, "%s\n", errorString().asChar());
  std::fflush(stderr);
}

void MStatus::perror(const MString& text) const { perror(text.asChar()); }
