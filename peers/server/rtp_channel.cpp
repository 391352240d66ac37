#include "peers/server/rtp_channel.h"

#include <thread>

#include "peers/server/server_log.h"
#include "protocol/rtp_packet.h"

namespace zms {
namespace {

namespace zp = zm::protocol;
using Clock = std::chrono::steady_clock;

}  // namespace

RtpChannel::RtpChannel(ByteChannel& control, DatagramSink sink, const FaultPlan& plan, uint32_t ssrc,
                       std::shared_ptr<DatagramTally> tally, int connectionId)
    : control_(control),
      sink_(std::move(sink)),
      plan_(plan),
      id_(connectionId),
      tally_(std::move(tally)),
      ssrc_(ssrc),
      random_(plan.udpSeed) {}

bool RtpChannel::Send(std::span<const uint8_t> bytes, WireMessage message) {
  if (message != WireMessage::Frame) return control_.Send(bytes, message);
  pendingBytes_.insert(pendingBytes_.end(), bytes.begin(), bytes.end());
  for (;;) {
    auto frame = zp::DecodeMediaFrame(pendingBytes_);
    if (!frame) return frame.error() == zp::DecodeError::Truncated;
    pendingBytes_.erase(pendingBytes_.begin(), pendingBytes_.begin() + static_cast<ptrdiff_t>(frame.consumed()));
    SendFrame(frame.value());
  }
}

void RtpChannel::Finish() {
  FlushHeld();
  control_.Finish();
}

bool RtpChannel::TakeCommand(const std::string& command) {
  const auto level = zp::RedundancyFromCommand(command);
  if (!level) return false;
  level_ = *level;
  LogLine("[%d] redundancy level %d", id_, static_cast<int>(level_));
  return true;
}

void RtpChannel::SendFrame(const zp::MediaFrame& frame) {
  if (plan_.ssrcChangeAfter && frames_ == *plan_.ssrcChangeAfter) {
    ssrc_ = ssrc_ * 2654435761u + 1;
    LogLine("[%d] SSRC changed to 0x%08X after %d frames", id_, ssrc_, frames_);
  }
  // Milliseconds since the stream began, one value a frame, always rising.
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
  lastTimestamp_ = frames_ == 0 ? static_cast<uint32_t>(ms) : std::max(static_cast<uint32_t>(ms), lastTimestamp_ + 1);
  if (!frame.payload.empty() && !zp::IsStreamChangeFrame(frame.header)) PaceFrame(frame.header.time);
  Datagrams datagrams = zp::PacketiseFrame(frame, {sequence_, lastTimestamp_, ssrc_, false});
  sequence_ = static_cast<uint16_t>(sequence_ + datagrams.size());
  ++frames_;
  if (!plan_.UdpFaults()) return Emit(datagrams, false);
  if (frame.payload.empty()) {
    // The end of a stream: what was held back goes clean, so that the client's last frames
    // are whole and it sees the end.
    for (const Datagrams& held : tail_) Emit(held, false);
    tail_.clear();
    FlushHeld();
    return Emit(datagrams, false);
  }
  if (frames_ <= kSparedHeadFrames) return Emit(datagrams, false);
  tail_.push_back(std::move(datagrams));
  if (tail_.size() > kSparedTailFrames) {
    Emit(tail_.front(), true);
    tail_.pop_front();
  }
}

void RtpChannel::Emit(const Datagrams& datagrams, bool spoil) {
  for (const auto& datagram : datagrams) {
    const bool copy = level_ == zp::RedundancyLevel::Full || (level_ == zp::RedundancyLevel::Half && packets_ % 2 == 1);
    ++packets_;
    for (int n = 0; n < (copy ? 2 : 1); ++n) {
      std::vector<uint8_t> bytes = datagram;
      if (n == 1) {
        bytes[1] |= zp::kRtpRedundantCopyBit;
        ++tally_->copies;
      }
      const int roll = spoil ? static_cast<int>(random_() % 1000) : 1000;
      if (roll < plan_.udpDropPermille) {
        ++tally_->dropped;
      } else if (roll < plan_.udpDropPermille + plan_.udpDuplicatePermille) {
        ++tally_->duplicated;
        Put(bytes);
        Put(bytes);
      } else if (roll < plan_.udpDropPermille + plan_.udpDuplicatePermille + plan_.udpReorderPermille && !held_) {
        ++tally_->reordered;
        held_ = std::move(bytes);
      } else {
        Put(bytes);
      }
    }
  }
}

void RtpChannel::Put(std::span<const uint8_t> datagram) {
  Pace(datagram.size());
  sink_(datagram);
  ++tally_->sent;
  FlushHeld();
}

void RtpChannel::FlushHeld() {
  if (!held_) return;
  std::vector<uint8_t> bytes = std::move(*held_);
  held_.reset();
  Pace(bytes.size());
  sink_(bytes);
  ++tally_->sent;
}

// UDP has no flow control: without a pace a stored item would fill the client's socket
// buffer in a moment and the kernel would drop the rest.
// Frames leave at udpPacePercent of their own pace (1.25 times by default: a client's buffer
// fills ahead of its playing, and its socket buffer never holds more than a moment of the
// stream). A seek or a pause (a frame far from when its time says) starts the count again.
void RtpChannel::PaceFrame(int64_t time100ns) {
  const auto now = Clock::now();
  constexpr auto kSlack = std::chrono::seconds(2);
  if (frameBase_ && time100ns >= frameBaseTime_) {
    const auto due =
        *frameBase_ + std::chrono::microseconds((time100ns - frameBaseTime_) / 10 * 100 / plan_.udpPacePercent);
    if (due > now - kSlack && due < now + kSlack) {
      std::this_thread::sleep_until(due);
      return;
    }
  }
  frameBase_ = now;
  frameBaseTime_ = time100ns;
}

// A pause (the client's flow control) earns no burst afterwards: the pace restarts from now.
void RtpChannel::Pace(size_t bytes) {
  const auto now = Clock::now();
  if (paceDue_ < now) paceDue_ = now;
  paceDue_ += std::chrono::microseconds(bytes * 1'000'000 / kBytesPerSecond);
  if (paceDue_ - now > std::chrono::milliseconds(2)) std::this_thread::sleep_until(paceDue_);
}

}  // namespace zms
