#include "protocol/string_codec.h"

#include "protocol/wire_field.h"
#include "protocol/wire_limits.h"

namespace zm::protocol {
namespace {

constexpr WireField kLength{0, 4};
static_assert(kLength.end() == kWireStringLengthSize);

}  // namespace

std::array<uint8_t, kWireStringLengthSize> EncodeWireStringLength(uint32_t length) {
  std::array<uint8_t, kWireStringLengthSize> out{};
  PutField<kLength>(out.data(), length);
  return out;
}

void AppendWireString(std::string_view bytes, std::vector<uint8_t>& out) {
  auto length = EncodeWireStringLength(static_cast<uint32_t>(bytes.size()));
  out.insert(out.end(), length.begin(), length.end());
  out.insert(out.end(), bytes.begin(), bytes.end());
}

DecodeResult<uint32_t> DecodeWireStringLength(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<uint32_t>;
  if (bytes.size() < kWireStringLengthSize) return Result::Failure(Truncated("string length", kWireStringLengthSize));
  const uint32_t length = GetField<kLength>(bytes.data());
  if (length > kMaxWireStringBytes) return Result::Failure(TooLarge("string length", length));
  return Result::Success(length, kWireStringLengthSize);
}

DecodeResult<std::string> DecodeWireString(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<std::string>;
  auto length = DecodeWireStringLength(bytes);
  if (!length) return Result::FailureOf(length);
  const size_t total = kWireStringLengthSize + length.value();
  if (bytes.size() < total) return Result::Failure(Truncated("string bytes", total));
  std::string text(reinterpret_cast<const char*>(bytes.data()) + kWireStringLengthSize, length.value());
  return Result::Success(std::move(text), total);
}

}  // namespace zm::protocol
