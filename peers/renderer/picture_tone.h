// ToneTable: brightness and contrast (each -50..50, 0 neutral) as a table of what every 8-bit
// channel value becomes, applied alike to red, green and blue. Plain C++, any thread.
#pragma once

#include <array>
#include <cstdint>

#include "peers/renderer/picture.h"

namespace zm::renderer {

inline constexpr int32_t kToneLimit = 50;

class ToneTable {
 public:
  // Values outside -50..50 count as the nearest limit. Contrast scales the distance from mid
  // grey by 2^(contrast / 50) (x0.5 .. x2); brightness then adds brightness * 255 / 100.
  explicit ToneTable(int32_t brightness = 0, int32_t contrast = 0);

  bool Neutral() const { return neutral_; }
  uint8_t Map(uint8_t value) const { return map_[value]; }
  // `out` gets `in` with each colour channel mapped.
  void Apply(const Picture& in, Picture& out) const;

 private:
  std::array<uint8_t, 256> map_{};
  bool neutral_ = true;
};

}  // namespace zm::renderer
