// StreamFormat records on the wire: 72 bytes in the AM_MEDIA_TYPE layout, then the
// format block. A reply or a stream-change frame carries two, video first.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/decode_result.h"
#include "protocol/guid.h"

namespace zm::protocol {

inline constexpr size_t kStreamFormatHeaderSize = 72;

// The media type fields that travel; the two pointer fields are 0 on the wire and
// ignored when read.
struct MediaType {
  Guid majorType;  // all zero: the stream is absent
  Guid subType;
  uint32_t fixedSizeSamples = 0;
  uint32_t temporalCompression = 0;
  uint32_t sampleSize = 0;
  Guid formatType;

  friend bool operator==(const MediaType&, const MediaType&) = default;
};

// What the first 72 bytes say: enough to allocate the format block and read it.
struct StreamFormatHeader {
  MediaType type;
  uint32_t formatLength = 0;
};

struct StreamFormat {
  MediaType type;
  std::vector<uint8_t> formatBlock;

  bool IsPresent() const { return !type.majorType.IsNull(); }
  friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

inline constexpr size_t kVideoFormatIndex = 0;
inline constexpr size_t kAudioFormatIndex = 1;
using StreamFormatPair = std::array<StreamFormat, 2>;  // video, audio

// Appends the 72-byte record (format length = block size) and the block.
void AppendStreamFormat(const StreamFormat& format, std::vector<uint8_t>& out);
void AppendStreamFormatPair(const StreamFormatPair& formats, std::vector<uint8_t>& out);
// Writes the 72 bytes with the given format length, for a server that must lie in it.
std::array<uint8_t, kStreamFormatHeaderSize> EncodeStreamFormatHeader(const MediaType& type, uint32_t formatLength);

// Decodes the 72 bytes; format lengths above kMaxFormatBlockBytes fail with LengthTooLarge.
DecodeResult<StreamFormatHeader> DecodeStreamFormatHeader(std::span<const uint8_t> bytes);
DecodeResult<StreamFormat> DecodeStreamFormat(std::span<const uint8_t> bytes);
DecodeResult<StreamFormatPair> DecodeStreamFormatPair(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
