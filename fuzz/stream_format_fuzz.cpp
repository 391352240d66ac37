// Fuzzes the StreamFormat pair decoder: format blocks stay within their bound and the
// input, and an accepted pair encodes and decodes to itself.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/stream_format_codec.h"
#include "protocol/wire_limits.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  auto header = DecodeStreamFormatHeader(input);
  if (header) Check(header.value().formatLength <= kMaxFormatBlockBytes);
  auto pair = DecodeStreamFormatPair(input);
  if (!pair) {
    Check(pair.error() == DecodeError::Truncated || pair.error() == DecodeError::LengthTooLarge);
    return 0;
  }
  Check(pair.consumed() <= size);
  std::vector<uint8_t> again;
  AppendStreamFormatPair(pair.value(), again);
  Check(again.size() == pair.consumed());
  auto twice = DecodeStreamFormatPair(again);
  Check(twice.ok() && twice.value() == pair.value());
  return 0;
}
