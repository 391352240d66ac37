// The content texts of both streams, and what a short or hostile format block makes of them:
// the fallback texts at every cut, never a read past the block (ASan watches).
#include "session/content_description.h"

#include <gtest/gtest.h>

#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using namespace protocol;
constexpr Guid kAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

StreamFormat Video(uint32_t bitRate, int64_t frameTime, int32_t width, int32_t height,
                   Guid subtype = FourCCGuid(0x34363248)) {
  VideoInfoHeader h{{}, {}, bitRate, 0, frameTime, {40, width, height}};
  return {{MEDIATYPE_Video, subtype, 0, 0, 0, FORMAT_VideoInfo}, EncodeVideoInfoHeader(h)};
}
StreamFormat Wave(uint16_t channels, uint32_t rate, uint32_t bytesPerSecond) {
  return {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM, 0, 0, 0, FORMAT_WaveFormatEx},
          EncodeWaveFormatEx({1, channels, rate, bytesPerSecond, 4, 16, 0})};
}
// 6 channels, 48000 Hz, 384000 bits per second.
const StreamFormat kSummary{{MEDIATYPE_Audio, MEDIASUBTYPE_PCM, 0, 0, 0, kAudioSummary},
                            {6, 0, 0, 0, 0x80, 0xBB, 0, 0, 0, 0, 0, 0, 0x00, 0xDC, 0x05, 0}};

std::wstring Texts(const StreamFormat& f, bool video) {
  if (video) {
    const VideoContent c = DescribeVideoContent(f);
    return c.title + L"|" + c.bitRate + L"|" + c.frameRate + L"|" + c.size;
  }
  const AudioContent c = DescribeAudioContent(f);
  return c.title + L"|" + c.bitRate + L"|" + c.sampleRate + L"|" + c.channels;
}

TEST(ContentDescriptionTest, TextsOfEachStreamWithTheirFallbacks) {
  StreamFormat notAudio = Wave(2, 44100, 176400);
  notAudio.type.majorType = MEDIATYPE_Video;
  const std::pair<StreamFormat, const wchar_t*> video[] = {
      {Video(2000000, 400000, 320, 240), L"Video content - H264|244.1 kByte/s|25.0 fps|320x240"},
      {Video(0, 0, 320, -240), L"Video content - H264|Unknown|Unknown|320x240"},
      {Video(0xFFFFFFFF, -1, 1, 1), L"Video content - H264|524288.0 kByte/s|-10000000.0 fps|1x1"},
      {Video(8192, 10000000, 2, 2, Guid{}), L"Video content - Unknown codec|1.0 kByte/s|1.0 fps|2x2"},
      {StreamFormat{}, L"No video stream found|||"}};
  const std::pair<StreamFormat, const wchar_t*> audio[] = {
      {Wave(2, 44100, 176400), L"Audio content - PCM|172.3 kByte/s|44.1 kHz|2"},
      {Wave(65535, 0, 0), L"Audio content - PCM|Unknown|0.0 kHz|65535"},
      {kSummary, L"Audio content - PCM|46.9 kByte/s|48.0 kHz|6"},
      {notAudio, L"Audio content - PCM|Unknown|0.0 kHz|0"},
      {StreamFormat{}, L"No audio stream found|||"}};
  for (const auto& [format, texts] : video) EXPECT_EQ(Texts(format, true), texts);
  for (const auto& [format, texts] : audio) EXPECT_EQ(Texts(format, false), texts);
}

TEST(ContentDescriptionTest, BlockCutBeforeTheLastFieldReadGivesEveryFallback) {
  // The last field read ends at 60 (bitmap height), 12 (average bytes per second), 16 (bit rate).
  const std::tuple<StreamFormat, size_t, bool, const wchar_t*> cases[] = {
      {Video(2000000, 400000, 320, 240), 60, true, L"Video content - H264|Unknown|Unknown|0x0"},
      {Wave(2, 44100, 176400), 12, false, L"Audio content - PCM|Unknown|0.0 kHz|0"},
      {kSummary, 16, false, L"Audio content - PCM|Unknown|0.0 kHz|0"}};
  for (const auto& [full, end, video, fallback] : cases) {
    for (size_t length = 0; length <= end; ++length) {
      StreamFormat cut = full;
      cut.formatBlock.assign(full.formatBlock.begin(), full.formatBlock.begin() + length);
      cut.formatBlock.shrink_to_fit();  // so that one byte more is past the allocation
      if (length < end) EXPECT_EQ(Texts(cut, video), fallback) << length;
      else EXPECT_NE(Texts(cut, video), fallback) << length;
    }
  }
}

}  // namespace
}  // namespace zm::session
