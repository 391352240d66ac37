// A ByteChannel that misbehaves as a connection's fault plan says, around the transport's
// channel: bytes one at a time (drip), frames that stop coming (stall-after), a frame cut
// in half before the connection closes (close-mid-frame), a frame or playlist string whose
// length field is above its bound (oversize=frame|string). With no faults it passes
// everything on. Used on the connection's thread.
#pragma once

#include <atomic>

#include "peers/server/byte_channel.h"
#include "peers/server/fault_plan.h"

namespace zms {

class FaultChannel : public ByteChannel {
 public:
  FaultChannel(ByteChannel& inner, const FaultPlan& plan, const std::atomic<bool>& stopping, int connectionId)
      : inner_(inner), plan_(plan), stopping_(stopping), id_(connectionId) {}

  bool Send(std::span<const uint8_t> bytes, WireMessage message) override;
  ChannelWait WaitForCommands(std::string& commands, std::chrono::milliseconds timeout) override {
    return inner_.WaitForCommands(commands, timeout);
  }
  void Finish() override { inner_.Finish(); }
  bool TakeCommand(const std::string& command) override { return inner_.TakeCommand(command); }

 private:
  bool SendBytes(std::span<const uint8_t> bytes, WireMessage message);
  bool SendAndFinish(std::span<const uint8_t> bytes, WireMessage message);
  bool Stall();

  ByteChannel& inner_;
  const FaultPlan plan_;
  const std::atomic<bool>& stopping_;
  const int id_;
  int framesSent_ = 0;
};

}  // namespace zms
