#include "peers/server/fault_channel.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "peers/server/server_log.h"
#include "protocol/media_frame_codec.h"
#include "protocol/string_codec.h"
#include "protocol/wire_limits.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

constexpr std::chrono::milliseconds kStallPoll{100};

}  // namespace

bool FaultChannel::Send(std::span<const uint8_t> bytes, WireMessage message) {
  if (message == WireMessage::String && plan_.oversize == OversizeField::String) {
    std::vector<uint8_t> spoiled(bytes.begin(), bytes.end());
    const auto length = zp::EncodeWireStringLength(zp::kMaxWireStringBytes + 1);
    std::copy(length.begin(), length.end(), spoiled.begin());
    LogLine("[%d] playlist string sent with an oversize length", id_);
    return SendAndFinish(spoiled, message);
  }
  if (message != WireMessage::Frame) return SendBytes(bytes, message);

  if (plan_.stallAfterFrames && framesSent_ >= *plan_.stallAfterFrames) return Stall();
  if (plan_.closeMidFrameAfter && framesSent_ >= *plan_.closeMidFrameAfter) {
    const size_t payload = bytes.size() - zp::kMediaFrameHeaderSize;
    LogLine("[%d] closing in the middle of frame %d", id_, framesSent_ + 1);
    return SendAndFinish(bytes.first(zp::kMediaFrameHeaderSize + payload / 2), message);
  }
  if (plan_.oversize == OversizeField::Frame) {
    auto header = zp::DecodeMediaFrameHeader(bytes);
    if (!header) return false;
    header.value().length = zp::kMaxFramePayloadBytes + 1;
    const auto head = zp::EncodeMediaFrameHeader(header.value());
    std::vector<uint8_t> spoiled(bytes.begin(), bytes.end());
    std::copy(head.begin(), head.end(), spoiled.begin());
    LogLine("[%d] frame sent with an oversize length; closing", id_);
    return SendAndFinish(spoiled, message);
  }
  ++framesSent_;
  return SendBytes(bytes, message);
}

bool FaultChannel::SendBytes(std::span<const uint8_t> bytes, WireMessage message) {
  if (!plan_.dripMicroseconds) return inner_.Send(bytes, message);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!inner_.Send(bytes.subspan(i, 1), message)) return false;
    if (*plan_.dripMicroseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(*plan_.dripMicroseconds));
  }
  return true;
}

bool FaultChannel::SendAndFinish(std::span<const uint8_t> bytes, WireMessage message) {
  SendBytes(bytes, message);
  inner_.Finish();
  return false;
}

// Nothing more goes out, and the connection stays open until the client leaves or the
// server stops. What the client writes meanwhile is read and dropped.
bool FaultChannel::Stall() {
  LogLine("[%d] stalling after %d frames", id_, framesSent_);
  while (!stopping_) {
    std::string ignored;
    if (inner_.WaitForCommands(ignored, kStallPoll) == ChannelWait::Closed) break;
  }
  return false;
}

}  // namespace zms
