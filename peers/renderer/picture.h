// Picture: one decoded video picture as the renderer keeps, adjusts, draws and saves it:
// 32-bit pixels 0x00RRGGBB (B, G, R, unused in memory), rows top to bottom, no padding.
#pragma once

#include <cstdint>
#include <vector>

namespace zm::renderer {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
};

}  // namespace zm::renderer
