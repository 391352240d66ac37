// Format blocks that StreamFormat records carry for uncompressed media: VIDEOINFOHEADER
// (with its BITMAPINFOHEADER at byte 48) and WAVEFORMATEX, little-endian as on Windows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/decode_result.h"

namespace zm::protocol {

inline constexpr size_t kVideoInfoHeaderSize = 88;
inline constexpr size_t kBitmapInfoHeaderOffset = 48;  // inside a VIDEOINFOHEADER
inline constexpr size_t kWaveFormatExSize = 18;
inline constexpr uint16_t kWaveFormatPcm = 1;

struct WireRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const WireRect&, const WireRect&) = default;
};

struct BitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // positive: bottom-up rows
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;  // 0: uncompressed RGB
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
  friend bool operator==(const BitmapInfoHeader&, const BitmapInfoHeader&) = default;
};

struct VideoInfoHeader {
  WireRect source;
  WireRect target;
  uint32_t bitRate = 0;  // bits per second
  uint32_t bitErrorRate = 0;
  int64_t avgTimePerFrame = 0;  // 100-ns units
  BitmapInfoHeader bitmap;
  friend bool operator==(const VideoInfoHeader&, const VideoInfoHeader&) = default;
};

struct WaveFormatEx {
  uint16_t formatTag = kWaveFormatPcm;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;  // cbSize: bytes that follow the 18
  friend bool operator==(const WaveFormatEx&, const WaveFormatEx&) = default;
};

std::vector<uint8_t> EncodeVideoInfoHeader(const VideoInfoHeader& header);
DecodeResult<VideoInfoHeader> DecodeVideoInfoHeader(std::span<const uint8_t> bytes);
std::vector<uint8_t> EncodeWaveFormatEx(const WaveFormatEx& format);
DecodeResult<WaveFormatEx> DecodeWaveFormatEx(std::span<const uint8_t> bytes);

}  // namespace zm::protocol
