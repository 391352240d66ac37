#include "protocol/stream_change_codec.h"

#include <algorithm>

#include "protocol/wire_field.h"

namespace zm::protocol {
namespace {

constexpr WireField kUnusedHead{0, 8};
constexpr WireField kStatus{8, kReplyStatusSize};
constexpr WireField kSkipCount{24, 2};
constexpr WireField kUnusedTail{26, 2};
constexpr WireField kFields[] = {kUnusedHead, kStatus, kSkipCount, kUnusedTail};
static_assert(FieldsTile<kStreamChangeFixedSize>(kFields));

}  // namespace

std::vector<uint8_t> EncodeStreamChangePayload(const StreamChange& change) {
  std::vector<uint8_t> out(kStreamChangeFixedSize, 0);
  auto status = EncodeReplyStatus(change.status);
  std::copy(status.begin(), status.end(), out.begin() + kStatus.offset);
  PutField<kSkipCount>(out.data(), static_cast<uint16_t>(change.skipped.size()));
  out.insert(out.end(), change.skipped.begin(), change.skipped.end());
  AppendStreamFormatPair(change.formats, out);
  return out;
}

DecodeResult<StreamChange> DecodeStreamChangePayload(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<StreamChange>;
  if (bytes.size() < kStreamChangeFixedSize) {
    return Result::Failure(Truncated("stream change header", kStreamChangeFixedSize));
  }
  StreamChange change;
  auto status = DecodeReplyStatus(bytes.subspan(kStatus.offset, kStatus.size));
  if (!status) return Result::Failure(AtOffset(status.failure(), kStatus.offset));
  change.status = status.value();

  const size_t skip = GetField<kSkipCount>(bytes.data());
  size_t offset = kStreamChangeFixedSize;
  if (bytes.size() - offset < skip) return Result::Failure(Truncated("stream change skipped bytes", offset + skip));
  change.skipped.assign(bytes.begin() + static_cast<ptrdiff_t>(offset),
                        bytes.begin() + static_cast<ptrdiff_t>(offset + skip));
  offset += skip;

  auto formats = DecodeStreamFormatPair(bytes.subspan(offset));
  if (!formats) return Result::Failure(AtOffset(formats.failure(), offset));
  offset += formats.consumed();
  change.formats = std::move(formats).value();
  return Result::Success(std::move(change), offset);
}

}  // namespace zm::protocol
