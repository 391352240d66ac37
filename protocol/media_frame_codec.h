// The MediaFrame record on the wire: a 40-byte little-endian header, then `length`
// payload bytes. Encoding for the server, decoding for the control.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/decode_result.h"

namespace zm::protocol {

inline constexpr size_t kMediaFrameHeaderSize = 40;

inline constexpr uint32_t kStreamTypeAudio = 1;
inline constexpr uint32_t kStreamTypeVideo = 2;

// A stream-change frame carries both of these; its payload is a new stream description.
inline constexpr uint16_t kStreamChangeTag = 0x9F64;
inline constexpr int64_t kStreamChangeStopTime = -19839;

// The header fields that travel. The in-memory `data` pointer (bytes 32..35) is not
// part of it: on the wire it is written as 0 and ignored when read.
struct MediaFrameHeader {
  uint32_t streamType = 0;
  uint16_t flags = 0;
  uint16_t itemIndex = 0;
  int64_t time = 0;      // 100-ns units
  int64_t stopTime = 0;  // 100-ns units
  uint8_t keyFrame = 0;
  uint8_t hasNewFormat = 0;
  uint16_t tag = 0;
  uint32_t length = 0;  // payload bytes; 0 marks the end of a stream
  uint32_t reserved1 = 0;

  friend bool operator==(const MediaFrameHeader&, const MediaFrameHeader&) = default;
};

struct MediaFrame {
  MediaFrameHeader header;
  std::vector<uint8_t> payload;
};

bool IsStreamChangeFrame(const MediaFrameHeader& header);

// Writes the header exactly as given, `length` included (a test server may lie in it).
std::array<uint8_t, kMediaFrameHeaderSize> EncodeMediaFrameHeader(const MediaFrameHeader& header);
// Appends header and payload; the length written is the payload's size.
void AppendMediaFrame(const MediaFrame& frame, std::vector<uint8_t>& out);

// Decodes the first 40 bytes. Fails with LengthTooLarge when `length` exceeds
// kMaxFramePayloadBytes, so a reader can allocate the payload only after success.
DecodeResult<MediaFrameHeader> DecodeMediaFrameHeader(std::span<const uint8_t> bytes);
// Decodes a header and its whole payload.
DecodeResult<MediaFrame> DecodeMediaFrame(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
