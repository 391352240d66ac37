#include "protocol/rtp_reassembly.h"

#include <algorithm>
#include <cstring>

namespace zm::protocol {
namespace {

int32_t Clamp(int64_t n) { return static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX)); }

bool StartsVideoKeyFrame(const RtpDatagram& d) {
  return d.header && d.header->streamType == kStreamTypeVideo && d.header->keyFrame != 0;
}

}  // namespace

std::optional<RtpFrameAssembler::Parsed> RtpFrameAssembler::Parse(std::span<const uint8_t> bytes, uint32_t arrivalMs,
                                                                  bool syncing, RtpOffer& status) {
  auto decoded = DecodeRtpDatagram(bytes);
  if (!decoded) {
    status = RtpOffer::NotRtp;
    return std::nullopt;
  }
  const RtpDatagram& d = decoded.value();
  if (!ssrc_) {
    if (dropOthers_ && syncing && !StartsVideoKeyFrame(d)) {
      status = RtpOffer::Skipped;
      return std::nullopt;
    }
    ssrc_ = d.ssrc;
  }
  if (d.ssrc != *ssrc_) {
    status = dropOthers_ ? RtpOffer::OtherSource : RtpOffer::SsrcChanged;
    return std::nullopt;
  }
  Parsed p{d, sequences_.Extend(d.sequence), timestamps_.Extend(d.timestamp)};
  reception_.OnPacket(p.sequence, d.timestamp, arrivalMs, d.redundantCopy);
  return p;
}

RtpOffer RtpFrameAssembler::OfferWhileSyncing(std::span<const uint8_t> datagram, uint32_t arrivalMs) {
  RtpOffer status = RtpOffer::Skipped;
  const auto packet = Parse(datagram, arrivalMs, true, status);
  if (!packet) return status;
  if (!StartsVideoKeyFrame(packet->datagram)) return RtpOffer::Skipped;
  // Delivery starts here: pieces of earlier frames that come later are late.
  if (packet->key > 0) lastFrameKey_ = packet->key - 1;
  return Add(*packet);
}

RtpOffer RtpFrameAssembler::Offer(std::span<const uint8_t> datagram, uint32_t arrivalMs) {
  RtpOffer status = RtpOffer::Added;
  const auto packet = Parse(datagram, arrivalMs, false, status);
  if (!packet) return status;
  return Add(*packet);
}

RtpOffer RtpFrameAssembler::Add(const Parsed& packet) {
  if (lastFrameKey_ && packet.key <= *lastFrameKey_) return RtpOffer::Late;
  RtpFrameAssembly& frame = frames_[packet.key];
  const auto piece = packet.datagram.payload;
  if (frame.pieces.size() >= RtpFrameAssembly::kMaxPieces) return RtpOffer::Duplicate;
  if (!frame.pieces.try_emplace(packet.sequence, piece.begin(), piece.end()).second) return RtpOffer::Duplicate;
  loss_.CountReceived();
  frame.receivedBytes += static_cast<uint32_t>(piece.size());
  if (packet.datagram.header && !frame.header) {
    frame.header = packet.datagram.header;
    frame.headerSequence = packet.sequence;
    frame.expectedLength = frame.header->length;
  }
  return RtpOffer::Added;
}

bool RtpFrameAssembler::NeedsDatagram() const {
  if (frames_.empty()) return true;
  if (frames_.size() >= kMaxPendingFrames || frames_.begin()->second.complete()) return false;
  // Nothing is sent after a stream's end: the pieces still missing before it were lost, and
  // waiting for them would hold the end until the watchdog.
  return std::none_of(frames_.begin(), frames_.end(),
                      [](const auto& entry) { return entry.second.header && entry.second.header->length == 0; });
}

std::optional<RtpReadyFrame> RtpFrameAssembler::TakeOldest() {
  if (frames_.empty()) return std::nullopt;
  auto oldest = frames_.begin();
  lastFrameKey_ = oldest->first;
  RtpFrameAssembly frame = std::move(oldest->second);
  frames_.erase(oldest);
  if (!frame.header) {
    // Its packets will be counted in the gap before the next delivered frame.
    loss_.CountLost(-static_cast<int32_t>(frame.pieces.size()));
    return std::nullopt;
  }
  return RtpReadyFrame{*frame.header, frame.headerSequence, std::move(frame.pieces)};
}

void RtpFrameAssembler::FillPayload(const RtpReadyFrame& frame, std::span<uint8_t> payload) {
  std::fill(payload.begin(), payload.end(), uint8_t{0});
  if (frame.pieces.empty()) return;
  const uint64_t first = frame.pieces.begin()->first;
  // Signed: a frame whose packets were sent before the last delivered one takes back what the
  // gap before that one counted.
  if (lastPacketSequence_) loss_.CountLost(Clamp(static_cast<int64_t>(first - *lastPacketSequence_) - 1));
  uint64_t previous = first;
  for (const auto& [sequence, piece] : frame.pieces) {
    if (sequence > previous + 1) loss_.CountLost(Clamp(static_cast<int64_t>(sequence - previous - 1)));
    previous = sequence;
    lastPacketSequence_ = sequence;
    // Pieces sit at their place counted from the header's packet; what would fall outside
    // the announced length is cut.
    if (sequence < frame.headerSequence) continue;
    const uint64_t offset = (sequence - frame.headerSequence) * kRtpPieceBytes;
    if (offset >= payload.size()) continue;
    const size_t size = std::min<uint64_t>(piece.size(), payload.size() - offset);
    if (size > 0) std::memcpy(payload.data() + offset, piece.data(), size);
  }
}

}  // namespace zm::protocol
