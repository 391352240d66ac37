#include "peers/host/image_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

namespace zm::host {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void Put32Big(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32Big(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32Big(out, Crc32(out.data() + start, out.size() - start));
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

std::vector<uint8_t> EncodePng(const Image& image) {
  // Scanlines with filter 0, in zlib stored blocks: no compressor needed.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(image.height) * (image.width * 3 + 1));
  for (int32_t y = 0; y < image.height; ++y) {
    raw.push_back(0);
    for (int32_t x = 0; x < image.width; ++x) {
      uint32_t p = image.At(x, y);
      raw.push_back(static_cast<uint8_t>(p >> 16));
      raw.push_back(static_cast<uint8_t>(p >> 8));
      raw.push_back(static_cast<uint8_t>(p));
    }
  }
  std::vector<uint8_t> zlib = {0x78, 0x01};
  size_t offset = 0;
  do {
    size_t n = std::min<size_t>(raw.size() - offset, 65535);
    zlib.push_back(offset + n == raw.size() ? 1 : 0);
    Put16(zlib, static_cast<uint32_t>(n));
    Put16(zlib, static_cast<uint32_t>(~n & 0xFFFF));
    zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + n);
    offset += n;
  } while (offset < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32Big(zlib, (b << 16) | a);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32Big(header, static_cast<uint32_t>(image.width));
  Put32Big(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", zlib);
  PutChunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> EncodeBmp(const Image& image) {
  const uint32_t rowSize = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = rowSize * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + dataSize);
  Put32(out, 0);
  Put32(out, 14 + 40);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(image.width));
  Put32(out, static_cast<uint32_t>(image.height));  // positive: rows bottom to top
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, dataSize);
  Put32(out, 3780);  // 96 dpi
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int32_t y = image.height - 1; y >= 0; --y) {
    size_t start = out.size();
    for (int32_t x = 0; x < image.width; ++x) {
      uint32_t p = image.At(x, y);
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
    }
    out.resize(start + rowSize, 0);
  }
  return out;
}

std::optional<Image> DecodeBmp(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const uint32_t dataOffset = Read32(bytes, 10);
  const int32_t width = static_cast<int32_t>(Read32(bytes, 18));
  const int32_t rawHeight = static_cast<int32_t>(Read32(bytes, 22));
  const uint32_t bits = bytes[28] | (bytes[29] << 8);
  const uint32_t compression = Read32(bytes, 30);
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || (bits != 24 && bits != 32) ||
      (compression != 0 && !(compression == 3 && bits == 32)))
    return std::nullopt;
  const int32_t height = rawHeight < 0 ? -rawHeight : rawHeight;
  if (width > 1 << 15 || height > 1 << 15) return std::nullopt;
  const uint64_t rowSize = (static_cast<uint64_t>(width) * (bits / 8) + 3) & ~uint64_t{3};
  if (dataOffset > bytes.size() || rowSize * height > bytes.size() - dataOffset) return std::nullopt;
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = rawHeight < 0 ? row : height - 1 - row;
    const uint8_t* p = bytes.data() + dataOffset + rowSize * row;
    for (int32_t x = 0; x < width; ++x, p += bits / 8)
      image.pixels[static_cast<size_t>(y) * width + x] = (p[2] << 16) | (p[1] << 8) | p[0];
  }
  return image;
}

bool WriteImageFile(const std::string& path, const Image& image) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  const bool png = lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".png") == 0;
  std::vector<uint8_t> bytes = png ? EncodePng(image) : EncodeBmp(image);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace zm::host
