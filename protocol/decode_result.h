// Result of decoding a wire record: the value and the bytes it took, or a precise
// failure naming the field where decoding stopped. Decoders never throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace zm::protocol {

enum class DecodeError {
  Truncated,           // the input ends before the field
  BadMagic,            // the reply does not start with the magic number
  UnsupportedVersion,  // protocol version neither 25 nor 80
  LengthTooLarge,      // a length field exceeds its bound; nothing was allocated
  NoMemory,            // a reader could not allocate what a length within its bound asked for
  Malformed,           // a text field is not of its form, or names what its kind does not allow
};

struct DecodeFailure {
  DecodeError error = DecodeError::Truncated;
  const char* field = "";  // the field being read when decoding stopped
  uint64_t value = 0;      // the offending value (magic, version, length), when there is one
  size_t needed = 0;       // Truncated: how many input bytes that field needs in all
};

// "frame payload length 16777217 exceeds 16777216", "reply magic 0x1234 is wrong", ...
std::string DescribeFailure(const DecodeFailure& failure);

template <typename T>
class DecodeResult {
 public:
  static DecodeResult Success(T value, size_t consumed) {
    DecodeResult r;
    r.value_.emplace(std::move(value));
    r.consumed_ = consumed;
    return r;
  }
  static DecodeResult Failure(DecodeFailure failure) {
    DecodeResult r;
    r.failure_ = failure;
    return r;
  }
  // Carries another decoder's failure through.
  template <typename U>
  static DecodeResult FailureOf(const DecodeResult<U>& other) {
    return Failure(other.failure());
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *value_; }
  T& value() & { return *value_; }
  T&& value() && { return std::move(*value_); }
  size_t consumed() const { return consumed_; }
  const DecodeFailure& failure() const { return failure_; }
  DecodeError error() const { return failure_.error; }

 private:
  DecodeResult() = default;
  std::optional<T> value_;
  size_t consumed_ = 0;
  DecodeFailure failure_;
};

inline DecodeFailure Truncated(const char* field, size_t needed) {
  return DecodeFailure{DecodeError::Truncated, field, 0, needed};
}
inline DecodeFailure TooLarge(const char* field, uint64_t value) {
  return DecodeFailure{DecodeError::LengthTooLarge, field, value, 0};
}

inline DecodeFailure NoMemory(const char* field, uint64_t size) {
  return DecodeFailure{DecodeError::NoMemory, field, size, 0};
}

inline DecodeFailure Malformed(const char* field, uint64_t value) {
  return DecodeFailure{DecodeError::Malformed, field, value, 0};
}

// A failure of a part that starts `offset` bytes into the whole input.
inline DecodeFailure AtOffset(DecodeFailure failure, size_t offset) {
  if (failure.error == DecodeError::Truncated) failure.needed += offset;
  return failure;
}

}  // namespace zm::protocol
