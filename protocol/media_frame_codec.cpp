#include "protocol/media_frame_codec.h"

#include "protocol/wire_field.h"
#include "protocol/wire_limits.h"

namespace zm::protocol {
namespace {

constexpr WireField kStreamType{0, 4};
constexpr WireField kFlags{4, 2};
constexpr WireField kItemIndex{6, 2};
constexpr WireField kTime{8, 8};
constexpr WireField kStopTime{16, 8};
constexpr WireField kKeyFrame{24, 1};
constexpr WireField kHasNewFormat{25, 1};
constexpr WireField kTag{26, 2};
constexpr WireField kLength{28, 4};
constexpr WireField kDataPointer{32, 4};
constexpr WireField kReserved1{36, 4};
constexpr WireField kFields[] = {kStreamType,   kFlags, kItemIndex, kTime,        kStopTime, kKeyFrame,
                                 kHasNewFormat, kTag,   kLength,    kDataPointer, kReserved1};
static_assert(FieldsTile<kMediaFrameHeaderSize>(kFields));

}  // namespace

bool IsStreamChangeFrame(const MediaFrameHeader& header) {
  return header.tag == kStreamChangeTag && header.stopTime == kStreamChangeStopTime;
}

std::array<uint8_t, kMediaFrameHeaderSize> EncodeMediaFrameHeader(const MediaFrameHeader& h) {
  std::array<uint8_t, kMediaFrameHeaderSize> out{};
  uint8_t* p = out.data();
  PutField<kStreamType>(p, h.streamType);
  PutField<kFlags>(p, h.flags);
  PutField<kItemIndex>(p, h.itemIndex);
  PutField<kTime>(p, static_cast<uint64_t>(h.time));
  PutField<kStopTime>(p, static_cast<uint64_t>(h.stopTime));
  PutField<kKeyFrame>(p, h.keyFrame);
  PutField<kHasNewFormat>(p, h.hasNewFormat);
  PutField<kTag>(p, h.tag);
  PutField<kLength>(p, h.length);
  PutField<kDataPointer>(p, 0);
  PutField<kReserved1>(p, h.reserved1);
  return out;
}

void AppendMediaFrame(const MediaFrame& frame, std::vector<uint8_t>& out) {
  MediaFrameHeader header = frame.header;
  header.length = static_cast<uint32_t>(frame.payload.size());
  auto head = EncodeMediaFrameHeader(header);
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), frame.payload.begin(), frame.payload.end());
}

DecodeResult<MediaFrameHeader> DecodeMediaFrameHeader(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<MediaFrameHeader>;
  if (bytes.size() < kMediaFrameHeaderSize) return Result::Failure(Truncated("frame header", kMediaFrameHeaderSize));
  const uint8_t* p = bytes.data();
  MediaFrameHeader h;
  h.streamType = GetField<kStreamType>(p);
  h.flags = GetField<kFlags>(p);
  h.itemIndex = GetField<kItemIndex>(p);
  h.time = static_cast<int64_t>(GetField<kTime>(p));
  h.stopTime = static_cast<int64_t>(GetField<kStopTime>(p));
  h.keyFrame = GetField<kKeyFrame>(p);
  h.hasNewFormat = GetField<kHasNewFormat>(p);
  h.tag = GetField<kTag>(p);
  h.length = GetField<kLength>(p);
  h.reserved1 = GetField<kReserved1>(p);
  if (h.length > kMaxFramePayloadBytes) return Result::Failure(TooLarge("frame payload length", h.length));
  return Result::Success(h, kMediaFrameHeaderSize);
}

DecodeResult<MediaFrame> DecodeMediaFrame(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<MediaFrame>;
  auto header = DecodeMediaFrameHeader(bytes);
  if (!header) return Result::FailureOf(header);
  const size_t total = kMediaFrameHeaderSize + header.value().length;
  if (bytes.size() < total) return Result::Failure(Truncated("frame payload", total));
  MediaFrame frame;
  frame.header = header.value();
  frame.payload.assign(bytes.begin() + kMediaFrameHeaderSize, bytes.begin() + static_cast<ptrdiff_t>(total));
  return Result::Success(std::move(frame), total);
}

}  // namespace zm::protocol
