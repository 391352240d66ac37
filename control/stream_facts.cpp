#include "control/stream_facts.h"

namespace zm::control {

using std::size_t;
namespace {

// GUIDs in wire order: Data1 and the two 16-bit fields little-endian, then 8 bytes.
constexpr GuidBytes Guid(uint32_t d1, uint16_t d2, uint16_t d3, std::array<uint8_t, 8> d4) {
  return {static_cast<uint8_t>(d1), static_cast<uint8_t>(d1 >> 8), static_cast<uint8_t>(d1 >> 16),
          static_cast<uint8_t>(d1 >> 24), static_cast<uint8_t>(d2), static_cast<uint8_t>(d2 >> 8),
          static_cast<uint8_t>(d3), static_cast<uint8_t>(d3 >> 8), d4[0], d4[1], d4[2], d4[3], d4[4], d4[5], d4[6],
          d4[7]};
}

constexpr GuidBytes kFormatVideoInfo = Guid(0x05589f80, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a});
constexpr GuidBytes kFormatMpegVideo = Guid(0x05589f82, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a});
constexpr GuidBytes kFormatVideoInfo2 = Guid(0xf72a76a0, 0xeb0a, 0x11d0, {0xac, 0xe4, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba});
constexpr GuidBytes kFormatMpeg2Video = Guid(0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea});
constexpr GuidBytes kFormatWaveFormatEx = Guid(0x05589f81, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a});
constexpr GuidBytes kFormatAudioSummary = Guid(0x6bddfa7e, 0x9f22, 0x46a9, {0xab, 0x5e, 0x88, 0x4e, 0xff, 0x29, 0x4d, 0x9f});
constexpr GuidBytes kMediaTypeAudio = Guid(0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71});

bool Read(const std::vector<uint8_t>& block, size_t offset, size_t size, uint64_t* out) {
  if (offset > block.size() || block.size() - offset < size) return false;
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(block[offset + i]) << (8 * i);
  *out = value;
  return true;
}

}  // namespace

bool IsZeroGuid(const GuidBytes& guid) {
  for (uint8_t b : guid)
    if (b) return false;
  return true;
}

VideoFacts ReadVideoFacts(const MediaTypeBytes& video) {
  size_t header;
  if (video.formatType == kFormatVideoInfo || video.formatType == kFormatMpegVideo) header = 48;
  else if (video.formatType == kFormatVideoInfo2 || video.formatType == kFormatMpeg2Video) header = 72;
  else return {};
  // biSize at +0, biWidth at +4, biHeight at +8.
  uint64_t bitRate, frameTime, width, height;
  if (!Read(video.format, 32, 4, &bitRate) || !Read(video.format, 40, 8, &frameTime) ||
      !Read(video.format, header + 4, 4, &width) || !Read(video.format, header + 8, 4, &height))
    return {};
  VideoFacts facts;
  facts.width = static_cast<int32_t>(static_cast<uint32_t>(width));
  facts.height = static_cast<int32_t>(static_cast<uint32_t>(height));
  if (facts.width <= 0 || facts.height <= 0) return {};
  facts.hasPictureHeader = true;
  facts.bitRate = static_cast<uint32_t>(bitRate);
  facts.avgTimePerFrame = static_cast<int64_t>(frameTime);
  return facts;
}

AudioFacts ReadAudioFacts(const MediaTypeBytes& audio) {
  if (audio.majorType != kMediaTypeAudio) return {};
  uint64_t channels, rate, bits;
  if (audio.formatType == kFormatWaveFormatEx) {
    // nChannels at 2, nSamplesPerSec at 4, nAvgBytesPerSec at 8.
    if (!Read(audio.format, 2, 2, &channels) || !Read(audio.format, 4, 4, &rate) || !Read(audio.format, 8, 4, &bits))
      return {};
    return {static_cast<uint32_t>(bits) * 8u, static_cast<uint32_t>(rate), static_cast<uint16_t>(channels)};
  }
  if (audio.formatType == kFormatAudioSummary) {
    if (!Read(audio.format, 0, 2, &channels) || !Read(audio.format, 4, 4, &rate) || !Read(audio.format, 12, 4, &bits))
      return {};
    return {static_cast<uint32_t>(bits), static_cast<uint32_t>(rate), static_cast<uint16_t>(channels)};
  }
  return {};
}

}  // namespace zm::control
