// Turning RTP datagrams back into MediaFrames: the SSRC check, the extension of sequence
// numbers and timestamps, the wait for the first video key frame, reordering among at most
// kMaxPendingFrames frames keyed by extended timestamp, and the loss count the redundancy
// control reads (packets missing between and inside delivered frames). A stream that shares
// its group with other senders' takes its SSRC from the frame that starts delivery and drops
// the rest. Pure, one thread.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "protocol/media_frame_codec.h"
#include "protocol/rtp_packet.h"
#include "protocol/rtp_reception.h"
#include "protocol/rtp_redundancy.h"
#include "protocol/rtp_sequence.h"
#include "protocol/wire_limits.h"

namespace zm::protocol {

struct RtpPiece {
  uint64_t sequence = 0;
  std::vector<uint8_t> payload;
};

// A frame being put together: its pieces by extended sequence number, no duplicates.
struct RtpFrameAssembly {
  static constexpr uint32_t kNoHeader = 0xFFFFFFFF;
  // As many pieces as the largest frame has; more from one timestamp are not kept.
  static constexpr size_t kMaxPieces = kMaxFramePayloadBytes / kRtpPieceBytes + 1;

  std::optional<MediaFrameHeader> header;
  uint64_t headerSequence = 0;
  std::map<uint64_t, std::vector<uint8_t>> pieces;
  uint32_t expectedLength = kNoHeader;
  uint32_t receivedBytes = 0;

  // More bytes than announced also end the wait: the payload is cut to its length.
  bool complete() const { return header && receivedBytes >= expectedLength; }
};

// What became of one datagram.
enum class RtpOffer {
  Added,        // went into a pending frame
  Duplicate,    // its sequence number is already in its frame
  Late,         // its frame was delivered or dropped already
  Skipped,      // not the start of the first key frame (only while waiting for it)
  NotRtp,       // not a datagram of this protocol: ignored
  SsrcChanged,  // another source: the server has restarted
  OtherSource,  // another source's, where those are dropped
};

// A frame taken out for delivery: the header and the pieces in sequence order.
struct RtpReadyFrame {
  MediaFrameHeader header;
  uint64_t headerSequence = 0;
  std::map<uint64_t, std::vector<uint8_t>> pieces;
};

class RtpFrameAssembler {
 public:
  static constexpr size_t kMaxPendingFrames = 5;

  explicit RtpFrameAssembler(RtpLossControl& loss) : loss_(loss) {}

  bool ssrcKnown() const { return ssrc_.has_value(); }
  // Datagrams of another SSRC are dropped (OtherSource) instead of ending the stream, and
  // while waiting for the first key frame the SSRC is that of the key frame's header packet,
  // so that a stray datagram cannot claim the stream. Before the first offer.
  void DropOtherSources() { dropOthers_ = true; }
  // While waiting for the first key frame: only the header packet of a video key frame is
  // Added, and it starts the first frame; every other datagram is Skipped.
  RtpOffer OfferWhileSyncing(std::span<const uint8_t> datagram, uint32_t arrivalMs);
  RtpOffer Offer(std::span<const uint8_t> datagram, uint32_t arrivalMs);

  // Whether another datagram is needed before the oldest frame may go: fewer than the
  // maximum pending, the oldest not complete, and no end of a stream (an empty frame) pending.
  bool NeedsDatagram() const;
  bool HasPending() const { return !frames_.empty(); }
  // Takes the oldest pending frame out. None when its header never came: it is dropped.
  std::optional<RtpReadyFrame> TakeOldest();
  // The payload of `header.length` bytes: the pieces in place, zeros where pieces are
  // missing, nothing past the end. Counts the missing packets as lost.
  void FillPayload(const RtpReadyFrame& frame, std::span<uint8_t> payload);

  const RtpReceptionStats& reception() const { return reception_; }

 private:
  struct Parsed {
    RtpDatagram datagram;
    uint64_t sequence;
    uint64_t key;
  };
  std::optional<Parsed> Parse(std::span<const uint8_t> bytes, uint32_t arrivalMs, bool syncing, RtpOffer& status);
  RtpOffer Add(const Parsed& packet);

  RtpLossControl& loss_;
  bool dropOthers_ = false;
  std::optional<uint32_t> ssrc_;
  RtpSequenceExtender sequences_;
  RtpTimestampExtender timestamps_;
  RtpReceptionStats reception_;
  std::map<uint64_t, RtpFrameAssembly> frames_;
  std::optional<uint64_t> lastPacketSequence_;
  std::optional<uint64_t> lastFrameKey_;
};

}  // namespace zm::protocol
