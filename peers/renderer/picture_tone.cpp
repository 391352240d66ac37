#include "peers/renderer/picture_tone.h"

#include <algorithm>
#include <cmath>

namespace zm::renderer {

ToneTable::ToneTable(int32_t brightness, int32_t contrast) {
  brightness = std::clamp(brightness, -kToneLimit, kToneLimit);
  contrast = std::clamp(contrast, -kToneLimit, kToneLimit);
  const double factor = std::exp2(static_cast<double>(contrast) / kToneLimit);
  const int32_t offset = brightness * 255 / 100;
  for (int32_t value = 0; value < 256; ++value) {
    const double mapped = std::lround((value - 128) * factor) + 128 + offset;
    map_[value] = static_cast<uint8_t>(std::clamp(mapped, 0.0, 255.0));
  }
  neutral_ = brightness == 0 && contrast == 0;
}

void ToneTable::Apply(const Picture& in, Picture& out) const {
  out.width = in.width;
  out.height = in.height;
  out.pixels.resize(in.pixels.size());
  std::transform(in.pixels.begin(), in.pixels.end(), out.pixels.begin(), [this](uint32_t pixel) {
    return static_cast<uint32_t>(map_[pixel >> 16 & 0xFF]) << 16 | static_cast<uint32_t>(map_[pixel >> 8 & 0xFF]) << 8 |
           map_[pixel & 0xFF];
  });
}

}  // namespace zm::renderer
