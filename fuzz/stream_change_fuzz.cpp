// Fuzzes the stream-change payload decoder: the skip count never leads past the input,
// and an accepted payload encodes and decodes to itself.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/stream_change_codec.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto change = DecodeStreamChangePayload(std::span<const uint8_t>(data, size));
  if (!change) {
    Check(change.error() == DecodeError::Truncated || change.error() == DecodeError::LengthTooLarge);
    return 0;
  }
  Check(change.consumed() <= size);
  std::vector<uint8_t> again = EncodeStreamChangePayload(change.value());
  Check(again.size() == change.consumed());
  auto twice = DecodeStreamChangePayload(again);
  Check(twice.ok() && twice.value().status == change.value().status &&
        twice.value().skipped == change.value().skipped && twice.value().formats == change.value().formats);
  return 0;
}
