// The figures read out of the stream descriptions, every read bounded by the block the
// server sent. The picture size's own rules are checked through ApplyReply.
#include "session/stream_facts.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::Guid;
using protocol::StreamFormat;
// Written out here on purpose: the test checks the value the control knows.
constexpr Guid kAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

void Put(std::vector<uint8_t>& block, size_t at, uint64_t value, size_t size) {
  if (block.size() < at + size) block.resize(at + size);
  for (size_t i = 0; i < size; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

StreamFormat Format(const Guid& major, const Guid& format, std::initializer_list<std::array<uint64_t, 3>> fields) {
  StreamFormat f;
  f.type.majorType = major;
  f.type.formatType = format;
  for (const auto& [at, value, size] : fields) Put(f.formatBlock, at, value, size);
  return f;
}

StreamFormat Video(const Guid& format, size_t header) {
  // Bit rate at 32, frame time at 40, then the bitmap header: size, width, height.
  return Format(protocol::MEDIATYPE_Video, format,
                {{32, 2000000, 4}, {40, 400000, 8}, {header, 40, 4}, {header + 4, 320, 4}, {header + 8, 240, 4}});
}

TEST(StreamFactsTest, VideoFiguresComeFromEitherHeaderLayoutAndShortOrUnknownBlocksGiveNone) {
  for (const auto& [format, header] : {std::pair{protocol::FORMAT_VideoInfo, 48}, {protocol::FORMAT_VideoInfo2, 72}}) {
    VideoFacts facts = ReadVideoFacts(Video(format, header));
    EXPECT_TRUE(facts.hasPictureHeader);
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 240);
    EXPECT_EQ(facts.bitRate, 2000000u);
    EXPECT_EQ(facts.avgTimePerFrame, 400000);
  }
  StreamFormat full = Video(protocol::FORMAT_VideoInfo, 48);
  for (size_t length = 0; length < full.formatBlock.size(); ++length) {
    StreamFormat cut = full;
    cut.formatBlock.resize(length);
    VideoFacts facts = ReadVideoFacts(cut);
    EXPECT_FALSE(facts.hasPictureHeader || facts.width || facts.bitRate) << length;
  }
  full.type.formatType = protocol::FORMAT_WaveFormatEx;
  EXPECT_FALSE(ReadVideoFacts(full).hasPictureHeader);
}

TEST(StreamFactsTest, AudioFiguresComeFromWaveFormatExOrTheSummaryBlock) {
  const Guid audio = protocol::MEDIATYPE_Audio;
  StreamFormat wave =
      Format(audio, protocol::FORMAT_WaveFormatEx, {{2, 2, 2}, {4, 44100, 4}, {8, 176400, 4}, {14, 16, 4}});
  AudioFacts facts = ReadAudioFacts(wave);
  EXPECT_EQ(facts.channels, 2);
  EXPECT_EQ(facts.sampleRate, 44100u);
  EXPECT_EQ(facts.bitRate, 176400u * 8);

  AudioFacts summary = ReadAudioFacts(Format(audio, kAudioSummary, {{0, 6, 2}, {4, 48000, 4}, {12, 384000, 4}}));
  EXPECT_EQ(summary.channels, 6);
  EXPECT_EQ(summary.sampleRate, 48000u);
  EXPECT_EQ(summary.bitRate, 384000u);

  StreamFormat notAudio = wave;
  notAudio.type.majorType = protocol::MEDIATYPE_Video;
  EXPECT_EQ(ReadAudioFacts(notAudio).sampleRate, 0u);
  StreamFormat shortBlock = wave;
  shortBlock.formatBlock.resize(11);
  EXPECT_EQ(ReadAudioFacts(shortBlock).channels, 0);
}

}  // namespace
}  // namespace zm::session
