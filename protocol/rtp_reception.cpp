#include "protocol/rtp_reception.h"

namespace zm::protocol {

bool RtpReceptionStats::OnPacket(uint64_t sequence, uint32_t timestamp, uint32_t arrivalMs, bool redundantCopy) {
  if (!started_) {
    started_ = true;
    base_ = highest_ = sequence;
  } else if (sequence > highest_) {
    // Numbers passed over are not seen yet.
    for (uint64_t n = highest_ + 1; n < sequence && n <= highest_ + kWindow; ++n) seen_[n % kWindow] = false;
    highest_ = sequence;
  } else if (highest_ - sequence >= kWindow || sequence < base_) {
    return false;
  } else if (seen_[sequence % kWindow]) {
    return false;
  }
  seen_[sequence % kWindow] = true;
  ++received_;
  if (redundantCopy) ++recovered_;
  // The relative transit time's change between packets, smoothed by 1/16.
  const int64_t transit = static_cast<int64_t>(arrivalMs) - static_cast<int64_t>(timestamp);
  if (haveTransit_) {
    const int64_t d = transit > transit_ ? transit - transit_ : transit_ - transit;
    jitter16_ = jitter16_ + static_cast<uint64_t>(d) - ((jitter16_ + 8) >> 4);
  }
  haveTransit_ = true;
  transit_ = transit;
  return true;
}

RtpReceptionFigures RtpReceptionStats::Figures() const {
  RtpReceptionFigures f;
  if (!started_) return f;
  f.expected = highest_ - base_ + 1;
  f.received = received_;
  f.lost = static_cast<int64_t>(f.expected) - static_cast<int64_t>(received_);
  f.recovered = recovered_;
  f.jitter = static_cast<uint32_t>(jitter16_ >> 4);
  return f;
}

}  // namespace zm::protocol
