// Fuzzes the frame decoder: never reads past its input, never accepts a payload above the
// bound, and what it accepts encodes back to the same bytes (less the ignored pointer).
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/media_frame_codec.h"
#include "protocol/wire_limits.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  auto header = DecodeMediaFrameHeader(input);
  auto frame = DecodeMediaFrame(input);
  if (!header) {
    Check(!frame && frame.error() == header.error());
    return 0;
  }
  Check(header.value().length <= kMaxFramePayloadBytes);
  if (!frame) {
    Check(frame.error() == DecodeError::Truncated && size < kMediaFrameHeaderSize + header.value().length);
    return 0;
  }
  Check(frame.consumed() == kMediaFrameHeaderSize + header.value().length && frame.consumed() <= size);
  Check(frame.value().header == header.value());

  std::vector<uint8_t> again;
  AppendMediaFrame(frame.value(), again);
  Check(again.size() == frame.consumed());
  for (size_t i = 0; i < again.size(); ++i) {
    const bool pointer = i >= 32 && i < 36;
    Check(again[i] == (pointer ? 0 : data[i]));
  }
  return 0;
}
