#include "protocol/rtp_sequence.h"

namespace zm::protocol {

uint64_t RtpSequenceExtender::Extend(uint16_t number) {
  if (!initialised_) {
    initialised_ = true;
    last_ = number;
  }
  const auto step = static_cast<uint16_t>(number - last_);
  if (step < kMaxDropout || (jumped_ && number == expected_)) {
    // A packet right after a large jump confirms it: the sender moved on (RFC 3550's resync).
    if (number < last_) ++wraps_;
    last_ = number;
    jumped_ = false;
  } else if (step >= 65536 - kMaxMisorder) {
    // Late: sent before the last one; from before a wrap when it lies above it.
    if (number > last_ && wraps_ > 0) return static_cast<uint64_t>(wraps_ - 1) * 65536 + number;
  } else {
    jumped_ = true;
    expected_ = static_cast<uint16_t>(number + 1);
  }
  return static_cast<uint64_t>(wraps_) * 65536 + number;
}

uint64_t RtpTimestampExtender::Extend(uint32_t timestamp) {
  if (!initialised_) {
    initialised_ = true;
    last_ = timestamp;
  }
  if (timestamp - last_ < kMaxStep) {
    if (timestamp < last_) ++wraps_;
    last_ = timestamp;
  }
  return (static_cast<uint64_t>(wraps_) << 32) + timestamp;
}

}  // namespace zm::protocol
