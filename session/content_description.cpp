#include "session/content_description.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "session/codec_names.h"
#include "session/stream_facts.h"

namespace zm::session {
namespace {

constexpr wchar_t kTextUnknown[] = L"Unknown";

// The formats below produce ASCII only, so widening byte by byte is exact.
[[gnu::format(printf, 1, 2)]] std::wstring Format(const char* format, ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return {};
  return std::wstring(text, text + std::min<size_t>(static_cast<size_t>(length), sizeof text - 1));
}

std::wstring KiloBytesPerSecond(uint32_t bitsPerSecond) {
  if (bitsPerSecond == 0) return kTextUnknown;
  return Format("%.1f kByte/s", bitsPerSecond * (1.0 / 8192));
}

}  // namespace

VideoContent DescribeVideoContent(const protocol::StreamFormat& video) {
  if (!video.IsPresent()) return {kTextNoVideoStream, {}, {}, {}};
  const VideoFacts facts = ReadVideoFacts(video);
  VideoContent content;
  content.title = L"Video content - " + CodecDisplayName(video.type.subType);
  content.bitRate = KiloBytesPerSecond(facts.bitRate);
  content.frameRate =
      facts.avgTimePerFrame == 0 ? kTextUnknown : Format("%.1f fps", 10000000.0 / facts.avgTimePerFrame);
  content.size = Format("%dx%d", facts.width, facts.height);
  return content;
}

AudioContent DescribeAudioContent(const protocol::StreamFormat& audio) {
  if (!audio.IsPresent()) return {kTextNoAudioStream, {}, {}, {}};
  const AudioFacts facts = ReadAudioFacts(audio);
  AudioContent content;
  content.title = L"Audio content - " + CodecDisplayName(audio.type.subType);
  content.bitRate = KiloBytesPerSecond(facts.bitRate);
  content.sampleRate = Format("%.1f kHz", facts.sampleRate / 1000.0);
  content.channels = Format("%d", facts.channels);
  return content;
}

}  // namespace zm::session
