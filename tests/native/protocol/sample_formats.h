// Test helpers: a typical pair of stream descriptions, video and audio.
#pragma once

#include "protocol/media_type_guids.h"
#include "protocol/stream_format_codec.h"

namespace zm::protocol::test {

inline StreamFormatPair SampleFormats() {
  StreamFormatPair formats;
  StreamFormat& video = formats[kVideoFormatIndex];
  video.type = {MEDIATYPE_Video, MEDIASUBTYPE_RGB32, 1, 0x003C000F, 307200, FORMAT_VideoInfo};
  video.formatBlock = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  StreamFormat& audio = formats[kAudioFormatIndex];
  audio.type = {MEDIATYPE_Audio, MEDIASUBTYPE_PCM, 1, 0, 4, FORMAT_WaveFormatEx};
  audio.formatBlock = {0xA0, 0xA1};
  return formats;
}

}  // namespace zm::protocol::test
