// The figures the player's properties read out of the two stream descriptions:
// picture size, frame time and bit rates from the video format block, and the audio
// figures. Every read is bounded by the block the server sent.
#pragma once

#include <cstdint>

#include "protocol/stream_format_codec.h"

namespace zm::session {

struct VideoFacts {
  bool hasPictureHeader = false;  // a usable bitmap header with a positive size
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bitRate = 0;         // bits per second
  int64_t avgTimePerFrame = 0;  // 100-ns units
};

struct AudioFacts {
  uint32_t bitRate = 0;  // bits per second
  uint32_t sampleRate = 0;
  uint16_t channels = 0;
};

// A video format whose block is too short for a field, whose format type has no bitmap
// header, or whose header gives a width of 0 or less or a height of 0 has no picture header:
// then every figure is 0. A negative height (a top-down bitmap) counts by its size.
VideoFacts ReadVideoFacts(const protocol::StreamFormat& video);
AudioFacts ReadAudioFacts(const protocol::StreamFormat& audio);

}  // namespace zm::session
