// The test signal: a 320x240 RGB32 picture (colour bars, a moving block, a running
// clock) and a 1 kHz stereo 16-bit PCM tone at 44.1 kHz, cut into 25 frames a second.
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/stream_format_codec.h"

namespace zms {

inline constexpr int kTestcardWidth = 320;
inline constexpr int kTestcardHeight = 240;
inline constexpr int kTestcardFps = 25;
inline constexpr int64_t kTestcardFrameTime = 10'000'000 / kTestcardFps;  // 100-ns units
inline constexpr int kTestcardSampleRate = 44100;
inline constexpr int kTestcardChannels = 2;
inline constexpr int kTestcardSamplesPerFrame = kTestcardSampleRate / kTestcardFps;
inline constexpr int kToneHz = 1000;

// The two stream descriptions: RGB32 in a VIDEOINFOHEADER, PCM in a WAVEFORMATEX.
zm::protocol::StreamFormatPair TestcardFormats();

// Picture number `index` (bottom-up rows, 4 bytes a pixel, B G R X); the clock shows
// index as minutes:seconds.frames.
std::vector<uint8_t> DrawTestcardPicture(int64_t index);

// The samples that play during picture `index`, phase-continuous across frames.
std::vector<uint8_t> MakeTestcardTone(int64_t index);

}  // namespace zms
