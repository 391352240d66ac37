// The RTP side of a stream session: the reply and the playlist string go over the TCP control
// connection, each frame is cut into RTP datagrams for the client's UDP address. Redundancy
// commands set how many packets go twice (a marked copy right after the original: none, every
// second one, all). Datagram faults drop, duplicate and reorder at the plan's rates with a
// fixed seed and are counted in the tally; ssrc-change switches the source after N frames.
// Frames are paced by their times and bytes by a ceiling, so that a client's socket buffer is not overrun. Used on the
// connection's thread; the tally is read by the rendezvous thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "peers/server/byte_channel.h"
#include "peers/server/fault_plan.h"
#include "protocol/media_frame_codec.h"
#include "protocol/rtp_redundancy.h"

namespace zms {

struct DatagramTally {
  std::atomic<uint32_t> sent{0};  // datagrams that left, copies and duplicates included
  std::atomic<uint32_t> dropped{0};
  std::atomic<uint32_t> duplicated{0};
  std::atomic<uint32_t> reordered{0};
  std::atomic<uint32_t> copies{0};  // redundant copies
};

class RtpChannel : public ByteChannel {
 public:
  using DatagramSink = std::function<void(std::span<const uint8_t>)>;
  static constexpr size_t kSparedTailFrames = 4;
  static constexpr int kSparedHeadFrames = 2;
  static constexpr uint64_t kBytesPerSecond = 16'000'000;

  RtpChannel(ByteChannel& control, DatagramSink sink, const FaultPlan& plan, uint32_t ssrc,
             std::shared_ptr<DatagramTally> tally, int connectionId);

  bool Send(std::span<const uint8_t> bytes, WireMessage message) override;
  ChannelWait WaitForCommands(std::string& commands, std::chrono::milliseconds timeout) override {
    return control_.WaitForCommands(commands, timeout);
  }
  void Finish() override;
  bool TakeCommand(const std::string& command) override;

  zm::protocol::RedundancyLevel level() const { return level_; }

 private:
  using Datagrams = std::vector<std::vector<uint8_t>>;
  void SendFrame(const zm::protocol::MediaFrame& frame);
  void Emit(const Datagrams& datagrams, bool spoil);
  void Put(std::span<const uint8_t> datagram);
  void FlushHeld();
  void Pace(size_t bytes);
  void PaceFrame(int64_t time100ns);

  ByteChannel& control_;
  DatagramSink sink_;
  const FaultPlan plan_;
  const int id_;
  std::shared_ptr<DatagramTally> tally_;
  uint32_t ssrc_;
  uint16_t sequence_ = 0;
  uint32_t lastTimestamp_ = 0;
  int frames_ = 0;
  zm::protocol::RedundancyLevel level_ = zm::protocol::RedundancyLevel::None;
  uint64_t packets_ = 0;  // for every second packet's copy at half redundancy
  std::mt19937 random_;
  std::vector<uint8_t> pendingBytes_;         // a frame may come in parts (drip)
  std::deque<Datagrams> tail_;                // the last frames, held back while faults are on
  std::optional<std::vector<uint8_t>> held_;  // a datagram being reordered
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point paceDue_;
  std::optional<std::chrono::steady_clock::time_point> frameBase_;
  int64_t frameBaseTime_ = 0;
};

}  // namespace zms
