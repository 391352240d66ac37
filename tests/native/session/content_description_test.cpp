// The content texts of both streams, and what a short or hostile format block makes of them:
// a fallback text at every cut, never a read past the block (ASan watches).
#include "session/content_description.h"

#include <gtest/gtest.h>

#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::StreamFormat;
constexpr protocol::Guid kAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

StreamFormat Video(uint32_t bitRate, int64_t frameTime, int32_t width, int32_t height) {
  protocol::VideoInfoHeader header;
  header.bitRate = bitRate;
  header.avgTimePerFrame = frameTime;
  header.bitmap.width = width;
  header.bitmap.height = height;
  return {{protocol::MEDIATYPE_Video, protocol::FourCCGuid(0x34363248), 0, 0, 0, protocol::FORMAT_VideoInfo},
          protocol::EncodeVideoInfoHeader(header)};
}

StreamFormat Wave(uint16_t channels, uint32_t rate, uint32_t bytesPerSecond) {
  protocol::WaveFormatEx wave;
  wave.channels = channels;
  wave.samplesPerSec = rate;
  wave.avgBytesPerSec = bytesPerSecond;
  return {{protocol::MEDIATYPE_Audio, protocol::MEDIASUBTYPE_PCM, 0, 0, 0, protocol::FORMAT_WaveFormatEx},
          protocol::EncodeWaveFormatEx(wave)};
}

void ExpectVideo(const StreamFormat& f, const wchar_t* title, const wchar_t* bits, const wchar_t* fps,
                 const wchar_t* size) {
  const VideoContent c = DescribeVideoContent(f);
  EXPECT_EQ(c.title, title);
  EXPECT_EQ(c.bitRate, bits);
  EXPECT_EQ(c.frameRate, fps);
  EXPECT_EQ(c.size, size);
}

void ExpectAudio(const StreamFormat& f, const wchar_t* title, const wchar_t* bits, const wchar_t* rate,
                 const wchar_t* channels) {
  const AudioContent c = DescribeAudioContent(f);
  EXPECT_EQ(c.title, title);
  EXPECT_EQ(c.bitRate, bits);
  EXPECT_EQ(c.sampleRate, rate);
  EXPECT_EQ(c.channels, channels);
}

TEST(ContentDescriptionTest, VideoTextsAndTheirFallbacks) {
  ExpectVideo(Video(2000000, 400000, 320, 240), L"Video content - H264", L"244.1 kByte/s", L"25.0 fps", L"320x240");
  ExpectVideo(Video(0, 0, 320, -240), L"Video content - H264", L"Unknown", L"Unknown", L"320x240");
  ExpectVideo(Video(0xFFFFFFFF, -1, 1, 1), L"Video content - H264", L"524288.0 kByte/s", L"-10000000.0 fps", L"1x1");
  ExpectVideo(Video(2000000, 400000, 0, 240), L"Video content - H264", L"Unknown", L"Unknown", L"0x0");
  StreamFormat unnamed = Video(8192, 10000000, 2, 2);
  unnamed.type.subType = protocol::Guid{};
  ExpectVideo(unnamed, L"Video content - Unknown codec", L"1.0 kByte/s", L"1.0 fps", L"2x2");
  ExpectVideo(StreamFormat{}, L"No video stream found", L"", L"", L"");
  // Cut anywhere before the end of the height (byte 60, the last field read): every figure
  // falls back, and nothing past the block is read.
  const StreamFormat full = Video(2000000, 400000, 320, 240);
  for (size_t length = 0; length <= 60; ++length) {
    StreamFormat cut = full;
    cut.formatBlock.assign(full.formatBlock.begin(), full.formatBlock.begin() + length);
    cut.formatBlock.shrink_to_fit();
    SCOPED_TRACE(length);
    if (length == 60) ExpectVideo(cut, L"Video content - H264", L"244.1 kByte/s", L"25.0 fps", L"320x240");
    else ExpectVideo(cut, L"Video content - H264", L"Unknown", L"Unknown", L"0x0");
  }
}

TEST(ContentDescriptionTest, AudioTextsFromEitherFormatAndTheirFallbacks) {
  ExpectAudio(Wave(2, 44100, 176400), L"Audio content - PCM", L"172.3 kByte/s", L"44.1 kHz", L"2");
  ExpectAudio(Wave(65535, 0, 0), L"Audio content - PCM", L"Unknown", L"0.0 kHz", L"65535");
  StreamFormat summary = Wave(0, 0, 0);
  summary.type.formatType = kAudioSummary;
  summary.formatBlock = {6, 0, 0, 0, 0x80, 0xBB, 0, 0, 0, 0, 0, 0, 0x00, 0xDC, 0x05, 0};  // 6, 48000, 384000
  ExpectAudio(summary, L"Audio content - PCM", L"46.9 kByte/s", L"48.0 kHz", L"6");
  StreamFormat notAudio = Wave(2, 44100, 176400);
  notAudio.type.majorType = protocol::MEDIATYPE_Video;
  ExpectAudio(notAudio, L"Audio content - PCM", L"Unknown", L"0.0 kHz", L"0");
  ExpectAudio(StreamFormat{}, L"No audio stream found", L"", L"", L"");
  for (const StreamFormat& full : {Wave(2, 44100, 176400), summary}) {
    for (size_t length = 0; length < (full.type.formatType == kAudioSummary ? 16u : 12u); ++length) {
      StreamFormat cut = full;
      cut.formatBlock.assign(full.formatBlock.begin(), full.formatBlock.begin() + length);
      cut.formatBlock.shrink_to_fit();
      SCOPED_TRACE(length);
      ExpectAudio(cut, L"Audio content - PCM", L"Unknown", L"0.0 kHz", L"0");
    }
  }
}

}  // namespace
}  // namespace zm::session
