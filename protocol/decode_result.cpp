#include "protocol/decode_result.h"

#include <cstdio>

namespace zm::protocol {

std::string DescribeFailure(const DecodeFailure& failure) {
  char text[160];
  switch (failure.error) {
    case DecodeError::Truncated:
      std::snprintf(text, sizeof text, "input ends inside %s (%zu bytes needed)", failure.field, failure.needed);
      break;
    case DecodeError::BadMagic:
      std::snprintf(text, sizeof text, "%s 0x%llX is wrong", failure.field,
                    static_cast<unsigned long long>(failure.value));
      break;
    case DecodeError::UnsupportedVersion:
      std::snprintf(text, sizeof text, "%s %llu is neither 25 nor 80", failure.field,
                    static_cast<unsigned long long>(failure.value));
      break;
    case DecodeError::LengthTooLarge:
      std::snprintf(text, sizeof text, "%s %llu is above its bound", failure.field,
                    static_cast<unsigned long long>(failure.value));
      break;
    case DecodeError::NoMemory:
      std::snprintf(text, sizeof text, "no memory for a %s of %llu bytes", failure.field,
                    static_cast<unsigned long long>(failure.value));
      break;
    case DecodeError::Malformed:
      std::snprintf(text, sizeof text, "%s is malformed (%llu)", failure.field,
                    static_cast<unsigned long long>(failure.value));
      break;
  }
  return text;
}

}  // namespace zm::protocol
