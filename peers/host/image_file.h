// Pictures of the host's window as files: an RGB image written as PNG (stored zlib blocks)
// or 24-bit BMP, and BMP read back for the window tests. Plain C++, any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zm::host {

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

  uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::vector<uint8_t> EncodePng(const Image& image);
std::vector<uint8_t> EncodeBmp(const Image& image);
// Reads an uncompressed 24- or 32-bit BMP; nothing for anything else.
std::optional<Image> DecodeBmp(const std::vector<uint8_t>& bytes);

// Writes PNG when the name ends in ".png" (any case), else BMP. False when the file
// cannot be written.
bool WriteImageFile(const std::string& path, const Image& image);

}  // namespace zm::host
