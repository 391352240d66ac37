// Strings on the wire: a u32 byte length, then that many bytes without terminator.
// The portable layer deals in bytes; turning them into wide text is the caller's task.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/decode_result.h"

namespace zm::protocol {

inline constexpr size_t kWireStringLengthSize = 4;

void AppendWireString(std::string_view bytes, std::vector<uint8_t>& out);
// Writes a length field as given, for a server that must lie in it.
std::array<uint8_t, kWireStringLengthSize> EncodeWireStringLength(uint32_t length);

// The length field alone; above kMaxWireStringBytes it fails with LengthTooLarge.
DecodeResult<uint32_t> DecodeWireStringLength(std::span<const uint8_t> bytes);
DecodeResult<std::string> DecodeWireString(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
