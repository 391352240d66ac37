// Upper bounds for the length fields that the media server sends. A length above its
// bound is a decode error, found before anything of that size is allocated.
#pragma once

#include <cstdint>

namespace zm::protocol {

inline constexpr uint32_t kMaxFramePayloadBytes = 16u * 1024 * 1024;
inline constexpr uint32_t kMaxFormatBlockBytes = 64u * 1024;
inline constexpr uint32_t kMaxWireStringBytes = 1024u * 1024;

}  // namespace zm::protocol
