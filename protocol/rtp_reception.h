// The reception figures of one RTP stream as RFC 3550 (section 6.4.1, appendix A.3 and A.8)
// defines them: packets expected from the first to the highest extended sequence number,
// packets received (each sequence number once), lost = expected − received, packets that only
// a redundant copy brought, and the interarrival jitter in timestamp units. The server's
// timestamps count milliseconds, so arrival times are given in milliseconds too.
#pragma once

#include <cstdint>
#include <vector>

namespace zm::protocol {

struct RtpReceptionFigures {
  uint64_t expected = 0;
  uint64_t received = 0;
  int64_t lost = 0;
  uint64_t recovered = 0;
  uint32_t jitter = 0;
};

class RtpReceptionStats {
 public:
  // How far behind the highest number a packet may still be told apart from a duplicate.
  static constexpr uint64_t kWindow = 8192;

  RtpReceptionStats() : seen_(kWindow, false) {}
  // One accepted datagram; false when its number was seen before (or is too old to tell).
  bool OnPacket(uint64_t sequence, uint32_t timestamp, uint32_t arrivalMs, bool redundantCopy);
  RtpReceptionFigures Figures() const;

 private:
  bool started_ = false;
  uint64_t base_ = 0;
  uint64_t highest_ = 0;
  uint64_t received_ = 0;
  uint64_t recovered_ = 0;
  bool haveTransit_ = false;
  int64_t transit_ = 0;
  uint64_t jitter16_ = 0;  // jitter × 16, as appendix A.8 keeps it
  std::vector<bool> seen_;
};

}  // namespace zm::protocol
