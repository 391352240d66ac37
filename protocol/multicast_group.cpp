#include "protocol/multicast_group.h"

#include <algorithm>
#include <cstring>

#include "protocol/wire_field.h"

namespace zm::protocol {
namespace {

constexpr WireField kText{0, kMulticastGroupTextBytes};
constexpr WireField kPort{16, 2};
constexpr WireField kFields[] = {kText, kPort};
static_assert(FieldsTile<kMulticastGroupInfoBytes>(kFields));

}  // namespace

bool IsMulticastAddress(const std::array<uint8_t, 4>& address) { return (address[0] & 0xF0) == 0xE0; }

std::string GroupAddressText(const std::array<uint8_t, 4>& address) {
  std::string text;
  for (size_t i = 0; i < address.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(address[i]);
  }
  return text;
}

bool ParseGroupAddress(std::string_view text, std::array<uint8_t, 4>& address) {
  std::array<uint8_t, 4> parsed{};
  for (size_t part = 0; part < parsed.size(); ++part) {
    if (part > 0) {
      if (text.empty() || text.front() != '.') return false;
      text.remove_prefix(1);
    }
    size_t digits = 0;
    unsigned value = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
      value = value * 10 + static_cast<unsigned>(text[digits++] - '0');
    if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text.front() == '0')) return false;
    parsed[part] = static_cast<uint8_t>(value);
    text.remove_prefix(digits);
  }
  if (!text.empty()) return false;
  address = parsed;
  return true;
}

std::array<uint8_t, kMulticastGroupInfoBytes> EncodeMulticastGroupInfo(const MulticastGroup& group) {
  std::array<uint8_t, kMulticastGroupInfoBytes> out{};
  const std::string text = GroupAddressText(group.address);
  std::memcpy(out.data() + kText.offset, text.data(), std::min(text.size(), kText.size - 1));
  PutField<kPort>(out.data(), group.port);
  return out;
}

DecodeResult<MulticastGroup> DecodeMulticastGroupInfo(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<MulticastGroup>;
  if (bytes.size() < kMulticastGroupInfoBytes)
    return Result::Failure(Truncated("multicast group info", kMulticastGroupInfoBytes));
  MulticastGroup group;
  group.port = GetField<kPort>(bytes.data());
  if (group.port == 0) return Result::Success(group, kMulticastGroupInfoBytes);
  // The text ends at its zero byte, which must lie inside the field.
  const auto* text = reinterpret_cast<const char*>(bytes.data() + kText.offset);
  const auto* end = static_cast<const char*>(std::memchr(text, 0, kText.size));
  if (!end) return Result::Failure(Malformed("multicast group address text", kText.size));
  if (!ParseGroupAddress(std::string_view(text, static_cast<size_t>(end - text)), group.address))
    return Result::Failure(Malformed("multicast group address text", 0));
  if (!IsMulticastAddress(group.address))
    return Result::Failure(Malformed("multicast group address", group.address[0]));
  return Result::Success(group, kMulticastGroupInfoBytes);
}

}  // namespace zm::protocol
