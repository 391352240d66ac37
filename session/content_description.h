// The "content" texts of a session's two streams, as the properties dialog shows them: codec,
// bit rate, frame rate and size of the video; codec, bit rate, sample rate and channels of the audio.
#pragma once

#include <string>

#include "protocol/stream_format_codec.h"

namespace zm::session {

inline constexpr wchar_t kTextUnknown[] = L"Unknown";
inline constexpr wchar_t kTextNoVideoStream[] = L"No video stream found";
inline constexpr wchar_t kTextNoAudioStream[] = L"No audio stream found";

// An absent stream has only its title; its figures are empty.
struct VideoContent {
  std::wstring title;      // "Video content - H264"
  std::wstring bitRate;    // "244.1 kByte/s" or "Unknown"
  std::wstring frameRate;  // "25.0 fps" or "Unknown"
  std::wstring size;       // "320x240"; "0x0" when the format has no usable bitmap header
};

struct AudioContent {
  std::wstring title;       // "Audio content - PCM"
  std::wstring bitRate;     // "172.3 kByte/s" or "Unknown"
  std::wstring sampleRate;  // "44.1 kHz"
  std::wstring channels;    // "2"
};

// Every figure is read within the format block the server sent: a block too short for a
// field gives the figure's "Unknown" (or zero) form. Any thread.
VideoContent DescribeVideoContent(const protocol::StreamFormat& video);
AudioContent DescribeAudioContent(const protocol::StreamFormat& audio);

}  // namespace zm::session
