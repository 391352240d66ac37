// Test helper: the RTP source's read loop over a queue of datagrams, each frame as its payload.
#pragma once

#include <deque>
#include <vector>

#include "protocol/rtp_reassembly.h"

namespace zm::protocol::test {

inline std::vector<std::vector<uint8_t>> ReadAllFrames(RtpFrameAssembler& assembler,
                                                       std::deque<std::vector<uint8_t>> queue) {
  std::vector<std::vector<uint8_t>> frames;
  for (;;) {
    while (assembler.NeedsDatagram() && !queue.empty()) {
      assembler.Offer(queue.front(), 0);
      queue.pop_front();
    }
    if (!assembler.HasPending()) return frames;
    if (auto ready = assembler.TakeOldest()) {
      std::vector<uint8_t> payload(ready->header.length);
      assembler.FillPayload(*ready, payload);
      frames.push_back(payload);
    }
  }
}

}  // namespace zm::protocol::test
