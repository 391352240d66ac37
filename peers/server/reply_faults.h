// The reply step of the fault plan: the server's answer encoded as the connection's faults
// spoil it (a version-25 answer, a chosen refusal, a spoiled video record, a wrong magic, a
// format length above its bound), and whether anything may follow it. Pure.
#pragma once

#include <cstdint>
#include <vector>

#include "peers/server/fault_plan.h"
#include "protocol/reply_codec.h"

namespace zms {

struct ReplyBytes {
  std::vector<uint8_t> bytes;
  uint32_t version = 0;  // as sent
  uint32_t result = 0;   // as sent
  // Nothing follows: a refusal, an answer in another version than asked (the client asks
  // again), or a reply the client cannot read.
  bool last = false;
};

// `reply` as the server means it; `requestVersion` the version the client asked in.
ReplyBytes EncodeFaultyReply(zm::protocol::ServerReply reply, uint32_t requestVersion, const FaultPlan& plan);

}  // namespace zms
