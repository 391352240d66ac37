// One field of a little-endian wire record: its offset and width, declared once per
// layout and used by both the encoder and the decoder of that record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zm::protocol {

struct WireField {
  size_t offset;
  size_t size;
  constexpr size_t end() const { return offset + size; }
};

template <size_t N>
struct WireUint;
template <>
struct WireUint<1> {
  using type = uint8_t;
};
template <>
struct WireUint<2> {
  using type = uint16_t;
};
template <>
struct WireUint<4> {
  using type = uint32_t;
};
template <>
struct WireUint<8> {
  using type = uint64_t;
};

// Reads field F of a record whose bytes the caller has already checked to be present.
template <WireField F>
constexpr typename WireUint<F.size>::type GetField(const uint8_t* record) {
  using T = typename WireUint<F.size>::type;
  T value = 0;
  for (size_t i = 0; i < F.size; ++i) value |= static_cast<T>(static_cast<T>(record[F.offset + i]) << (8 * i));
  return value;
}

// Writes field F into a record buffer of at least F.end() bytes.
template <WireField F>
constexpr void PutField(uint8_t* record, typename WireUint<F.size>::type value) {
  for (size_t i = 0; i < F.size; ++i) record[F.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Fields must tile a record without gaps or overlaps; layouts check this at compile time.
template <size_t RecordSize, size_t N>
constexpr bool FieldsTile(const WireField (&fields)[N]) {
  size_t next = 0;
  for (const WireField& f : fields) {
    if (f.offset != next) return false;
    next = f.end();
  }
  return next == RecordSize;
}

}  // namespace zm::protocol
