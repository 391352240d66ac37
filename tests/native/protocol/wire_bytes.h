// Test helpers: write expected wire bytes by hand, so that tests do not check the
// encoders against themselves.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zm::protocol::test {

using Bytes = std::vector<uint8_t>;

inline void PutLE(Bytes& out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
// Fields in wire order, each a value and its width in bytes.
struct Field {
  uint64_t value;
  int width;
};
inline void PutLE(Bytes& out, std::initializer_list<Field> fields) {
  for (const Field& f : fields) PutLE(out, f.value, f.width);
}
inline void PutRaw(Bytes& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }

}  // namespace zm::protocol::test
