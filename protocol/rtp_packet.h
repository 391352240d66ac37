// The RTP datagram that carries a piece of one MediaFrame from the server to the client: the
// 12-byte RTP header, the frame header in the packet that has the marker bit, then the piece's
// little-endian length and bytes. A frame's payload travels in pieces of kRtpPieceBytes.
// Pure: decoding for the control, encoding and packetising for the server.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/decode_result.h"
#include "protocol/media_frame_codec.h"

namespace zm::protocol {

inline constexpr size_t kRtpMaxDatagramBytes = 8192;
inline constexpr size_t kRtpHeaderBytes = 12;
inline constexpr uint32_t kRtpPieceBytes = 1384;
// Version 2, no padding, no extension, no CSRC: the only first byte this protocol sends.
inline constexpr uint8_t kRtpFirstByte = 0x80;
inline constexpr uint8_t kRtpMarkerBit = 0x80;
// A payload-type bit the server sets on a redundant copy of a packet. Reassembly ignores it;
// only the reception figures read it, to count packets that redundancy recovered.
inline constexpr uint8_t kRtpRedundantCopyBit = 0x01;

struct RtpDatagram {
  bool redundantCopy = false;
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  uint32_t ssrc = 0;
  std::optional<MediaFrameHeader> header;  // only with the marker bit
  std::span<const uint8_t> payload;        // points into the decoded bytes
};

// One datagram. Fails with BadMagic when the first byte is not kRtpFirstByte (nothing else is
// read then), Truncated when a field or the piece runs past the datagram, LengthTooLarge when
// the frame header's length is above its bound. Bytes after the piece are ignored.
DecodeResult<RtpDatagram> DecodeRtpDatagram(std::span<const uint8_t> bytes);

struct RtpPacketFields {
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  uint32_t ssrc = 0;
  bool redundantCopy = false;
};

// One datagram with `header` (the marker bit set) or without, carrying `piece`.
std::vector<uint8_t> EncodeRtpDatagram(const RtpPacketFields& fields, const MediaFrameHeader* header,
                                       std::span<const uint8_t> piece);

// The datagrams of one frame, in order, numbered from `fields.sequence` on: the first carries
// the frame header, every one but the last carries exactly kRtpPieceBytes payload bytes. A
// frame without payload is one datagram with an empty piece.
std::vector<std::vector<uint8_t>> PacketiseFrame(const MediaFrame& frame, const RtpPacketFields& fields);

}  // namespace zm::protocol
