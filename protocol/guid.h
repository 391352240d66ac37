// A GUID as the media server protocol carries it: Data1..Data3 little-endian, then the
// eight bytes of Data4 in order; 16 bytes on the wire. Portable stand-in for Windows' GUID.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zm::protocol {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend constexpr bool operator==(const Guid&, const Guid&) = default;
  constexpr bool IsNull() const { return *this == Guid{}; }
};

inline constexpr size_t kGuidWireSize = 16;

// Writes the 16 wire bytes of a GUID to out.
void EncodeGuid(const Guid& guid, uint8_t* out);
// Reads a GUID from 16 bytes that the caller has checked to be present.
Guid DecodeGuid(const uint8_t* in);
// "{E436EB7E-524F-11CE-9F53-0020AF0BA770}", for logs and test messages.
std::string GuidToString(const Guid& guid);

}  // namespace zm::protocol
