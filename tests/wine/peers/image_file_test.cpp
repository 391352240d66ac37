// The host's picture files: a PNG whose chunks, checksums and stored zlib blocks decode to
// the very pixels written, and BMP written and read back.
#include <gtest/gtest.h>

#include "peers/host/image_file.h"

namespace zm::host {
namespace {

Image Gradient(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(static_cast<uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 13) & 0xFF) << 8 | ((x + y) & 0xFF)));
  return image;
}

uint32_t Big32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// The CRC of PNG chunks, bit by bit, independent of the writer's table.
uint32_t BitwiseCrc(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// Decodes a PNG of stored zlib blocks, checking every checksum on the way.
std::optional<Image> DecodeStoredPng(const std::vector<uint8_t>& png) {
  const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin())) return std::nullopt;
  Image image;
  std::vector<uint8_t> zlib;
  size_t at = 8;
  bool ended = false;
  while (at + 12 <= png.size() && !ended) {
    uint32_t length = Big32(png, at);
    if (length > png.size() - at - 12) return std::nullopt;
    std::string type(png.begin() + at + 4, png.begin() + at + 8);
    if (BitwiseCrc(png.data() + at + 4, length + 4) != Big32(png, at + 8 + length)) return std::nullopt;
    const uint8_t* data = png.data() + at + 8;
    if (type == "IHDR") {
      if (length != 13 || data[8] != 8 || data[9] != 2) return std::nullopt;
      image.width = static_cast<int32_t>(Big32(png, at + 8));
      image.height = static_cast<int32_t>(Big32(png, at + 12));
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), data, data + length);
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  if (!ended || zlib.size() < 6 || zlib[0] != 0x78 || (zlib[0] * 256 + zlib[1]) % 31 != 0) return std::nullopt;
  std::vector<uint8_t> raw;
  size_t z = 2;
  bool last = false;
  while (!last) {
    if (z + 5 > zlib.size() || (zlib[z] & 0x06) != 0) return std::nullopt;  // stored blocks only
    last = zlib[z] & 1;
    uint32_t len = zlib[z + 1] | zlib[z + 2] << 8, nlen = zlib[z + 3] | zlib[z + 4] << 8;
    if ((len ^ 0xFFFF) != nlen || z + 5 + len > zlib.size()) return std::nullopt;
    raw.insert(raw.end(), zlib.begin() + z + 5, zlib.begin() + z + 5 + len);
    z += 5 + len;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  if (z + 4 != zlib.size() || Big32(zlib, z) != ((b << 16) | a)) return std::nullopt;
  const size_t stride = static_cast<size_t>(image.width) * 3 + 1;
  if (raw.size() != stride * image.height) return std::nullopt;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = raw.data() + stride * y;
    if (row[0] != 0) return std::nullopt;
    for (int32_t x = 0; x < image.width; ++x)
      image.pixels.push_back(static_cast<uint32_t>(row[1 + 3 * x] << 16 | row[2 + 3 * x] << 8 | row[3 + 3 * x]));
  }
  return image;
}

TEST(ImageFileTest, PngDecodesToTheSamePixelsAcrossSeveralStoredBlocks) {
  Image image = Gradient(301, 97);  // more than 65535 bytes of scanlines: two blocks
  std::optional<Image> back = DecodeStoredPng(EncodePng(image));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 301);
  EXPECT_EQ(back->height, 97);
  EXPECT_TRUE(back->pixels == image.pixels);
}

TEST(ImageFileTest, BmpRoundTripsOddWidthsWithRowPadding) {
  for (int width : {1, 2, 3, 5, 64}) {
    Image image = Gradient(width, 7);
    std::vector<uint8_t> bmp = EncodeBmp(image);
    EXPECT_EQ(bmp.size(), 54u + 7u * ((width * 3 + 3) & ~3));
    std::optional<Image> back = DecodeBmp(bmp);
    ASSERT_TRUE(back) << width;
    EXPECT_EQ(back->width, width);
    EXPECT_TRUE(back->pixels == image.pixels) << width;
  }
}

}  // namespace
}  // namespace zm::host
