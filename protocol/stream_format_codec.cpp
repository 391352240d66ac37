#include "protocol/stream_format_codec.h"

#include "protocol/wire_field.h"
#include "protocol/wire_limits.h"

namespace zm::protocol {
namespace {

constexpr WireField kMajorType{0, 16};
constexpr WireField kSubType{16, 16};
constexpr WireField kFixedSizeSamples{32, 4};
constexpr WireField kTemporalCompression{36, 4};
constexpr WireField kSampleSize{40, 4};
constexpr WireField kFormatType{44, 16};
constexpr WireField kObjectPointer{60, 4};
constexpr WireField kFormatLength{64, 4};
constexpr WireField kFormatPointer{68, 4};
constexpr WireField kFields[] = {kMajorType,  kSubType,       kFixedSizeSamples, kTemporalCompression, kSampleSize,
                                 kFormatType, kObjectPointer, kFormatLength,     kFormatPointer};
static_assert(FieldsTile<kStreamFormatHeaderSize>(kFields));
static_assert(kMajorType.size == kGuidWireSize && kSubType.size == kGuidWireSize && kFormatType.size == kGuidWireSize);

}  // namespace

std::array<uint8_t, kStreamFormatHeaderSize> EncodeStreamFormatHeader(const MediaType& type, uint32_t formatLength) {
  std::array<uint8_t, kStreamFormatHeaderSize> out{};
  uint8_t* p = out.data();
  EncodeGuid(type.majorType, p + kMajorType.offset);
  EncodeGuid(type.subType, p + kSubType.offset);
  PutField<kFixedSizeSamples>(p, type.fixedSizeSamples);
  PutField<kTemporalCompression>(p, type.temporalCompression);
  PutField<kSampleSize>(p, type.sampleSize);
  EncodeGuid(type.formatType, p + kFormatType.offset);
  PutField<kObjectPointer>(p, 0);
  PutField<kFormatLength>(p, formatLength);
  PutField<kFormatPointer>(p, 0);
  return out;
}

void AppendStreamFormat(const StreamFormat& format, std::vector<uint8_t>& out) {
  auto head = EncodeStreamFormatHeader(format.type, static_cast<uint32_t>(format.formatBlock.size()));
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), format.formatBlock.begin(), format.formatBlock.end());
}

void AppendStreamFormatPair(const StreamFormatPair& formats, std::vector<uint8_t>& out) {
  for (const StreamFormat& f : formats) AppendStreamFormat(f, out);
}

DecodeResult<StreamFormatHeader> DecodeStreamFormatHeader(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<StreamFormatHeader>;
  if (bytes.size() < kStreamFormatHeaderSize) {
    return Result::Failure(Truncated("stream format record", kStreamFormatHeaderSize));
  }
  const uint8_t* p = bytes.data();
  StreamFormatHeader h;
  h.type.majorType = DecodeGuid(p + kMajorType.offset);
  h.type.subType = DecodeGuid(p + kSubType.offset);
  h.type.fixedSizeSamples = GetField<kFixedSizeSamples>(p);
  h.type.temporalCompression = GetField<kTemporalCompression>(p);
  h.type.sampleSize = GetField<kSampleSize>(p);
  h.type.formatType = DecodeGuid(p + kFormatType.offset);
  h.formatLength = GetField<kFormatLength>(p);
  if (h.formatLength > kMaxFormatBlockBytes) return Result::Failure(TooLarge("format block length", h.formatLength));
  return Result::Success(h, kStreamFormatHeaderSize);
}

DecodeResult<StreamFormat> DecodeStreamFormat(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<StreamFormat>;
  auto header = DecodeStreamFormatHeader(bytes);
  if (!header) return Result::FailureOf(header);
  const size_t total = kStreamFormatHeaderSize + header.value().formatLength;
  if (bytes.size() < total) return Result::Failure(Truncated("format block", total));
  StreamFormat format;
  format.type = header.value().type;
  format.formatBlock.assign(bytes.begin() + kStreamFormatHeaderSize, bytes.begin() + static_cast<ptrdiff_t>(total));
  return Result::Success(std::move(format), total);
}

DecodeResult<StreamFormatPair> DecodeStreamFormatPair(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<StreamFormatPair>;
  StreamFormatPair formats;
  size_t offset = 0;
  for (StreamFormat& f : formats) {
    auto one = DecodeStreamFormat(bytes.subspan(offset));
    if (!one) return Result::Failure(AtOffset(one.failure(), offset));
    offset += one.consumed();
    f = std::move(one).value();
  }
  return Result::Success(std::move(formats), offset);
}

}  // namespace zm::protocol
