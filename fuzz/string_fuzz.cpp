// Fuzzes the string decoder: lengths above 1 MiB are refused from the length field, and an
// accepted string is exactly the bytes that follow it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/string_codec.h"
#include "protocol/wire_limits.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  auto length = DecodeWireStringLength(input);
  auto text = DecodeWireString(input);
  if (!length) {
    Check(!text && text.error() == length.error());
    return 0;
  }
  Check(length.value() <= kMaxWireStringBytes);
  if (!text) {
    Check(text.error() == DecodeError::Truncated && size < kWireStringLengthSize + length.value());
    return 0;
  }
  Check(text.value().size() == length.value() && text.consumed() == kWireStringLengthSize + length.value());
  Check(text.value().empty() ||
        std::memcmp(text.value().data(), data + kWireStringLengthSize, text.value().size()) == 0);
  std::vector<uint8_t> again;
  AppendWireString(text.value(), again);
  Check(again.size() == text.consumed() && std::memcmp(again.data(), data, again.size()) == 0);
  return 0;
}
