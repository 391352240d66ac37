#include "session/stream_facts.h"

#include "protocol/media_type_guids.h"

#include <cstdint>

namespace zm::session {
namespace {

using namespace zm::protocol;

// The audio format whose block is a plain summary: channels, rate and bit rate.
constexpr Guid kFormatAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

bool Read(const std::vector<uint8_t>& block, size_t offset, size_t size, uint64_t* out) {
  if (offset > block.size() || block.size() - offset < size) return false;
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(block[offset + i]) << (8 * i);
  *out = value;
  return true;
}

}  // namespace

VideoFacts ReadVideoFacts(const StreamFormat& video) {
  const Guid& format = video.type.formatType;
  size_t header;
  if (format == FORMAT_VideoInfo || format == FORMAT_MPEGVideo) header = 48;
  else if (format == FORMAT_VideoInfo2 || format == FORMAT_MPEG2Video) header = 72;
  else return {};
  // Bit rate at 32, frame time at 40; in the bitmap header biWidth at +4, biHeight at +8.
  uint64_t bitRate, frameTime, width, height;
  const std::vector<uint8_t>& block = video.formatBlock;
  if (!Read(block, 32, 4, &bitRate) || !Read(block, 40, 8, &frameTime) || !Read(block, header + 4, 4, &width) ||
      !Read(block, header + 8, 4, &height))
    return {};
  VideoFacts facts;
  facts.width = static_cast<int32_t>(static_cast<uint32_t>(width));
  // A negative height is a top-down bitmap of that many rows; INT32_MIN has no size.
  const auto signedHeight = static_cast<int32_t>(static_cast<uint32_t>(height));
  facts.height = signedHeight == INT32_MIN ? 0 : (signedHeight < 0 ? -signedHeight : signedHeight);
  if (facts.width <= 0 || facts.height <= 0) return {};
  facts.hasPictureHeader = true;
  facts.bitRate = static_cast<uint32_t>(bitRate);
  facts.avgTimePerFrame = static_cast<int64_t>(frameTime);
  return facts;
}

AudioFacts ReadAudioFacts(const StreamFormat& audio) {
  if (audio.type.majorType != MEDIATYPE_Audio) return {};
  const std::vector<uint8_t>& block = audio.formatBlock;
  uint64_t channels, rate, bits;
  if (audio.type.formatType == FORMAT_WaveFormatEx) {
    // nChannels at 2, nSamplesPerSec at 4, nAvgBytesPerSec at 8.
    if (!Read(block, 2, 2, &channels) || !Read(block, 4, 4, &rate) || !Read(block, 8, 4, &bits)) return {};
    return {static_cast<uint32_t>(bits) * 8u, static_cast<uint32_t>(rate), static_cast<uint16_t>(channels)};
  }
  if (audio.type.formatType == kFormatAudioSummary) {
    if (!Read(block, 0, 2, &channels) || !Read(block, 4, 4, &rate) || !Read(block, 12, 4, &bits)) return {};
    return {static_cast<uint32_t>(bits), static_cast<uint32_t>(rate), static_cast<uint16_t>(channels)};
  }
  return {};
}

}  // namespace zm::session
