#include "protocol/rtp_packet.h"

#include <algorithm>

namespace zm::protocol {
namespace {

uint32_t BigEndian(std::span<const uint8_t> b, size_t at, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | b[at + static_cast<size_t>(i)];
  return value;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int width) {
  for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

DecodeResult<RtpDatagram> DecodeRtpDatagram(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<RtpDatagram>;
  if (bytes.empty()) return Result::Failure(Truncated("RTP header", kRtpHeaderBytes));
  if (bytes[0] != kRtpFirstByte) return Result::Failure({DecodeError::BadMagic, "RTP first byte", bytes[0], 0});
  if (bytes.size() < kRtpHeaderBytes) return Result::Failure(Truncated("RTP header", kRtpHeaderBytes));
  RtpDatagram d;
  const bool marker = (bytes[1] & kRtpMarkerBit) != 0;
  d.redundantCopy = (bytes[1] & kRtpRedundantCopyBit) != 0;
  d.sequence = static_cast<uint16_t>(BigEndian(bytes, 2, 2));
  d.timestamp = BigEndian(bytes, 4, 4);
  d.ssrc = BigEndian(bytes, 8, 4);
  size_t at = kRtpHeaderBytes;
  if (marker) {
    auto header = DecodeMediaFrameHeader(bytes.subspan(at));
    if (!header) return Result::Failure(AtOffset(header.failure(), at));
    d.header = header.value();
    at += kMediaFrameHeaderSize;
  }
  if (bytes.size() < at + 4) return Result::Failure(Truncated("RTP piece length", at + 4));
  const uint32_t length = static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
                          static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
  at += 4;
  if (length > bytes.size() - at) return Result::Failure(Truncated("RTP piece", at + length));
  d.payload = bytes.subspan(at, length);
  return Result::Success(d, at + length);
}

std::vector<uint8_t> EncodeRtpDatagram(const RtpPacketFields& fields, const MediaFrameHeader* header,
                                       std::span<const uint8_t> piece) {
  std::vector<uint8_t> out;
  out.reserve(kRtpHeaderBytes + (header ? kMediaFrameHeaderSize : 0) + 4 + piece.size());
  out.push_back(kRtpFirstByte);
  out.push_back(static_cast<uint8_t>((header ? kRtpMarkerBit : 0) | (fields.redundantCopy ? kRtpRedundantCopyBit : 0)));
  PutBigEndian(out, fields.sequence, 2);
  PutBigEndian(out, fields.timestamp, 4);
  PutBigEndian(out, fields.ssrc, 4);
  if (header) {
    const auto head = EncodeMediaFrameHeader(*header);
    out.insert(out.end(), head.begin(), head.end());
  }
  const auto length = static_cast<uint32_t>(piece.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
  out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

std::vector<std::vector<uint8_t>> PacketiseFrame(const MediaFrame& frame, const RtpPacketFields& fields) {
  std::vector<std::vector<uint8_t>> datagrams;
  MediaFrameHeader header = frame.header;
  header.length = static_cast<uint32_t>(frame.payload.size());
  RtpPacketFields next = fields;
  size_t at = 0;
  do {
    const size_t size = std::min<size_t>(kRtpPieceBytes, frame.payload.size() - at);
    datagrams.push_back(
        EncodeRtpDatagram(next, at == 0 ? &header : nullptr, std::span(frame.payload).subspan(at, size)));
    at += size;
    ++next.sequence;
  } while (at < frame.payload.size());
  return datagrams;
}

}  // namespace zm::protocol
