#include "session/stream_facts.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::Guid;
using protocol::StreamFormat;
constexpr Guid kVideoInfo = protocol::FORMAT_VideoInfo;
constexpr Guid kVideoInfo2 = protocol::FORMAT_VideoInfo2;
constexpr Guid kWaveFormatEx = protocol::FORMAT_WaveFormatEx;
constexpr Guid kMediaTypeAudio = protocol::MEDIATYPE_Audio;
// Written out here on purpose: the test checks the value the control knows.
constexpr Guid kAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

void Put(std::vector<uint8_t>& block, size_t at, uint64_t value, size_t size) {
  if (block.size() < at + size) block.resize(at + size);
  for (size_t i = 0; i < size; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

StreamFormat Video(const Guid& format, size_t header, int32_t width, int32_t height) {
  StreamFormat type;
  type.type.formatType = format;
  Put(type.formatBlock, 32, 2000000, 4);   // bits per second
  Put(type.formatBlock, 40, 400000, 8);    // 25 frames a second
  Put(type.formatBlock, header, 40, 4);    // biSize
  Put(type.formatBlock, header + 4, static_cast<uint32_t>(width), 4);
  Put(type.formatBlock, header + 8, static_cast<uint32_t>(height), 4);
  return type;
}

TEST(VideoFactsTest, VideoInfoAndVideoInfo2PlaceTheBitmapHeaderDifferently) {
  VideoFacts one = ReadVideoFacts(Video(kVideoInfo, 48, 320, 240));
  EXPECT_TRUE(one.hasPictureHeader);
  EXPECT_EQ(one.width, 320);
  EXPECT_EQ(one.height, 240);
  EXPECT_EQ(one.bitRate, 2000000u);
  EXPECT_EQ(one.avgTimePerFrame, 400000);
  VideoFacts two = ReadVideoFacts(Video(kVideoInfo2, 72, 640, 480));
  EXPECT_EQ(two.width, 640);
  EXPECT_EQ(two.height, 480);
}

TEST(VideoFactsTest, ShortBlocksUnknownFormatsAndEmptyPicturesGiveZeros) {
  StreamFormat full = Video(kVideoInfo, 48, 320, 240);
  for (size_t length = 0; length < full.formatBlock.size(); ++length) {
    StreamFormat cut = full;
    cut.formatBlock.resize(length);
    VideoFacts facts = ReadVideoFacts(cut);
    EXPECT_FALSE(facts.hasPictureHeader) << length;
    EXPECT_EQ(facts.width, 0);
    EXPECT_EQ(facts.bitRate, 0u);
  }
  StreamFormat unknown = full;
  unknown.type.formatType = kWaveFormatEx;
  EXPECT_FALSE(ReadVideoFacts(unknown).hasPictureHeader);
  VideoFacts empty = ReadVideoFacts(Video(kVideoInfo, 48, 0, 240));
  EXPECT_FALSE(empty.hasPictureHeader);
  EXPECT_EQ(empty.avgTimePerFrame, 0);
}

TEST(AudioFactsTest, WaveFormatExAndTheSummaryBlockAreRead) {
  StreamFormat wave;
  wave.type.majorType = kMediaTypeAudio;
  wave.type.formatType = kWaveFormatEx;
  Put(wave.formatBlock, 0, 1, 2);
  Put(wave.formatBlock, 2, 2, 2);
  Put(wave.formatBlock, 4, 44100, 4);
  Put(wave.formatBlock, 8, 176400, 4);
  Put(wave.formatBlock, 12, 4, 2);
  Put(wave.formatBlock, 14, 16, 2);
  AudioFacts facts = ReadAudioFacts(wave);
  EXPECT_EQ(facts.channels, 2);
  EXPECT_EQ(facts.sampleRate, 44100u);
  EXPECT_EQ(facts.bitRate, 176400u * 8);

  StreamFormat summary;
  summary.type.majorType = kMediaTypeAudio;
  summary.type.formatType = kAudioSummary;
  Put(summary.formatBlock, 0, 6, 2);
  Put(summary.formatBlock, 4, 48000, 4);
  Put(summary.formatBlock, 12, 384000, 4);
  AudioFacts other = ReadAudioFacts(summary);
  EXPECT_EQ(other.channels, 6);
  EXPECT_EQ(other.sampleRate, 48000u);
  EXPECT_EQ(other.bitRate, 384000u);
}

TEST(AudioFactsTest, OtherTypesAndShortBlocksGiveZeros) {
  StreamFormat notAudio;
  notAudio.type.formatType = kWaveFormatEx;
  notAudio.formatBlock.assign(18, 1);
  EXPECT_EQ(ReadAudioFacts(notAudio).sampleRate, 0u);
  StreamFormat shortBlock;
  shortBlock.type.majorType = kMediaTypeAudio;
  shortBlock.type.formatType = kWaveFormatEx;
  shortBlock.formatBlock.assign(11, 1);
  EXPECT_EQ(ReadAudioFacts(shortBlock).channels, 0);
}

}  // namespace
}  // namespace zm::session
