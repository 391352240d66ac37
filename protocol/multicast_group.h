// The multicast group a server names on the control connection, right after the request and
// before the reply: 16 bytes of dotted IPv4 text, zero-padded, then the group port as a u16
// little-endian. Port 0 means the server sends nothing over multicast; the text is then not
// read. Pure: decoding for the control, encoding for the server.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/decode_result.h"

namespace zm::protocol {

// What a multicast session's request text begins with, before the resource part (no UDP id).
inline constexpr std::string_view kRtpMulticastPrefix = "rtp-multicast:";
inline constexpr size_t kMulticastGroupInfoBytes = 18;
inline constexpr size_t kMulticastGroupTextBytes = 16;

struct MulticastGroup {
  std::array<uint8_t, 4> address{};  // in network order: 239.1.2.3 is {239, 1, 2, 3}
  uint16_t port = 0;

  bool operator==(const MulticastGroup&) const = default;
};

// Whether the address lies in 224.0.0.0/4.
bool IsMulticastAddress(const std::array<uint8_t, 4>& address);
// "239.1.2.3".
std::string GroupAddressText(const std::array<uint8_t, 4>& address);
// Strict dotted decimal: four numbers of 0 to 255 without leading zeros (a reader taking
// them as octal would see another address), nothing else.
bool ParseGroupAddress(std::string_view text, std::array<uint8_t, 4>& address);

std::array<uint8_t, kMulticastGroupInfoBytes> EncodeMulticastGroupInfo(const MulticastGroup& group);

// Fails with Truncated when fewer than 18 bytes are given. With a port other than 0 the text
// must end with a zero byte within its 16 bytes and name a multicast address; else Malformed.
DecodeResult<MulticastGroup> DecodeMulticastGroupInfo(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
