// The payload of a stream-change frame: a new ReplyStatus, a skip count, and after
// that many bytes the new video and audio StreamFormat records.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/decode_result.h"
#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"

namespace zm::protocol {

inline constexpr size_t kStreamChangeFixedSize = 28;  // up to the skipped bytes

struct StreamChange {
  ReplyStatus status;
  std::vector<uint8_t> skipped;  // bytes between the fixed part and the records
  StreamFormatPair formats;
};

std::vector<uint8_t> EncodeStreamChangePayload(const StreamChange& change);
DecodeResult<StreamChange> DecodeStreamChangePayload(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
