// Extending the 16-bit RTP sequence number and the 32-bit timestamp to 64 bits, in the manner
// of RFC 3550 appendix A.1: forward steps below a limit advance the last number (counting a
// wrap when the number goes down), a packet a little behind the last is late and changes
// nothing, a larger jump is remembered only as the number expected next.
#pragma once

#include <cstdint>

namespace zm::protocol {

class RtpSequenceExtender {
 public:
  static constexpr uint32_t kMaxDropout = 3000;
  static constexpr uint32_t kMaxMisorder = 100;

  uint64_t Extend(uint16_t number);
  uint32_t wraps() const { return wraps_; }

 private:
  bool initialised_ = false;
  uint16_t last_ = 0;
  bool jumped_ = false;  // expected_ holds the number after a large jump
  uint16_t expected_ = 0;
  uint32_t wraps_ = 0;
};

class RtpTimestampExtender {
 public:
  static constexpr uint32_t kMaxStep = 100000;

  uint64_t Extend(uint32_t timestamp);

 private:
  bool initialised_ = false;
  uint32_t last_ = 0;
  uint32_t wraps_ = 0;
};

}  // namespace zm::protocol
