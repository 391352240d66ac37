#include "peers/server/reply_faults.h"

#include <algorithm>

#include "protocol/wire_limits.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

constexpr uint32_t kWrongMagic = zp::kReplyMagic + 1;

// The test card's video block is a VIDEOINFOHEADER: its bitmap header starts at byte 48,
// with biWidth at 52 and biHeight at 56.
constexpr size_t kBitmapWidthAt = 52;
constexpr size_t kBitmapHeightAt = 56;

void PutInt32(std::vector<uint8_t>& block, size_t at, int32_t value) {
  if (block.size() < at + 4) return;
  for (size_t i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

void SpoilVideoFormat(VideoFormatFault fault, zp::StreamFormat& video) {
  switch (fault) {
    case VideoFormatFault::None: break;
    case VideoFormatFault::Short: video.formatBlock.resize(std::min(video.formatBlock.size(), kBitmapWidthAt)); break;
    case VideoFormatFault::Untyped: video.type.formatType = zp::Guid{}; break;
    case VideoFormatFault::ZeroWidth: PutInt32(video.formatBlock, kBitmapWidthAt, 0); break;
    case VideoFormatFault::NegativeHeight: PutInt32(video.formatBlock, kBitmapHeightAt, -240); break;
  }
}

// The video record claims one byte more than a format block may have; the audio record
// is left out, as the client stops at the claim.
void OversizeVideoFormat(const zp::StreamFormatPair& formats, std::vector<uint8_t>& bytes) {
  const zp::StreamFormat& video = formats[zp::kVideoFormatIndex];
  const size_t videoAt = bytes.size() - (2 * zp::kStreamFormatHeaderSize + video.formatBlock.size() +
                                         formats[zp::kAudioFormatIndex].formatBlock.size());
  const auto head = zp::EncodeStreamFormatHeader(video.type, zp::kMaxFormatBlockBytes + 1);
  bytes.resize(videoAt);
  bytes.insert(bytes.end(), head.begin(), head.end());
  bytes.insert(bytes.end(), video.formatBlock.begin(), video.formatBlock.end());
}

}  // namespace

ReplyBytes EncodeFaultyReply(zp::ServerReply reply, uint32_t requestVersion, const FaultPlan& plan) {
  if (plan.version25) reply.protocolVersion = zp::kProtocolVersion25;
  // A refusal of the server's own (unknown name, credentials) keeps its code.
  if (reply.status.result == 0 && plan.result) reply.status = zp::ReplyStatus{.result = *plan.result};
  const bool accepted = reply.status.result == 0;
  if (accepted) SpoilVideoFormat(plan.videoFormat, reply.formats[zp::kVideoFormatIndex]);

  ReplyBytes out{zp::EncodeServerReply(reply), reply.protocolVersion, reply.status.result};
  bool unreadable = false;
  if (accepted && plan.wrongMagic) {
    const auto prologue = zp::EncodeReplyPrologue(kWrongMagic, reply.protocolVersion);
    std::copy(prologue.begin(), prologue.end(), out.bytes.begin());
    unreadable = true;
  }
  if (accepted && plan.oversize == OversizeField::Format) {
    OversizeVideoFormat(reply.formats, out.bytes);
    unreadable = true;
  }
  out.last = !accepted || reply.protocolVersion != requestVersion || unreadable;
  return out;
}

}  // namespace zms
