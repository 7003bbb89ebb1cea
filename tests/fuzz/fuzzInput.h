// Decoding of fuzzer bytes into typed values, and the check that turns a
// broken promise into a crash libFuzzer records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

// Reads values off the front of the input; once it runs dry every value is
// zero, so short inputs still describe a complete case.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t remaining() const { return size_ - offset_; }

  uint8_t byte() {
    uint8_t b = 0;
    take(&b, 1);
    return b;
  }

  uint32_t u32() {
    uint32_t v = 0;
    take(&v, sizeof v);
    return v;
  }

  int32_t i32() {
    int32_t v = 0;
    take(&v, sizeof v);
    return v;
  }

  // Any bit pattern: NaNs, infinities and denormals included.
  float anyFloat() {
    float v = 0.0f;
    take(&v, sizeof v);
    return v;
  }

  bool flag() { return byte() & 1u; }

 private:
  void take(void* out, size_t n) {
    if (remaining() < n) {
      offset_ = size_;
      return;
    }
    std::memcpy(out, data_ + offset_, n);
    offset_ += n;
  }

  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

// Abort rather than throw: libFuzzer and the replay driver both report an
// abort with the input that caused it.
#define FUZZ_CHECK(cond, ...)                                                       \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s: ", __FILE__, __LINE__, #cond); \
      std::fprintf(stderr, __VA_ARGS__);                                            \
      std::fputc('\n', stderr);                                                     \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

}  // namespace fuzz
