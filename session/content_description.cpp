#include "session/content_description.h"

#include "session/ascii_format.h"
#include "session/codec_names.h"
#include "session/stream_facts.h"

namespace zm::session {
namespace {

std::wstring KiloBytesPerSecond(uint32_t bitsPerSecond) {
  if (bitsPerSecond == 0) return kTextUnknown;
  return FormatAscii("%.1f kByte/s", bitsPerSecond * (1.0 / 8192));
}

}  // namespace

VideoContent DescribeVideoContent(const protocol::StreamFormat& video) {
  if (!video.IsPresent()) return {kTextNoVideoStream, {}, {}, {}};
  const VideoFacts facts = ReadVideoFacts(video);
  VideoContent content;
  content.title = L"Video content - " + CodecDisplayName(video.type.subType);
  content.bitRate = KiloBytesPerSecond(facts.bitRate);
  content.frameRate =
      facts.avgTimePerFrame == 0 ? kTextUnknown : FormatAscii("%.1f fps", 10000000.0 / facts.avgTimePerFrame);
  content.size = FormatAscii("%dx%d", facts.width, facts.height);
  return content;
}

AudioContent DescribeAudioContent(const protocol::StreamFormat& audio) {
  if (!audio.IsPresent()) return {kTextNoAudioStream, {}, {}, {}};
  const AudioFacts facts = ReadAudioFacts(audio);
  AudioContent content;
  content.title = L"Audio content - " + CodecDisplayName(audio.type.subType);
  content.bitRate = KiloBytesPerSecond(facts.bitRate);
  content.sampleRate = FormatAscii("%.1f kHz", facts.sampleRate / 1000.0);
  content.channels = FormatAscii("%d", facts.channels);
  return content;
}

}  // namespace zm::session
