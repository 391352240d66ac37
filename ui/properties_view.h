// What the properties dialog shows: the part written once when it opens (where the media comes
// from and what it contains) and the transmission figures refreshed every second. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "session/content_description.h"
#include "session/player_state.h"

namespace zm::ui {

struct PropertiesHeader {
  std::wstring title;
  std::wstring server, protocol, name, duration, mode;
  // A single stream hides the other's figures; its group then names what is missing.
  bool videoFiguresShown = true;
  bool audioFiguresShown = true;
  session::VideoContent video;
  session::AudioContent audio;
};

PropertiesHeader DescribeSessionHeader(const session::PlayerSettings& settings, const session::SessionValues& session);

struct TransmissionInputs {
  bool streamsEnded = false;
  bool buffering = false;
  int32_t bufferingPercent = 0;
  std::optional<session::ReceivedFigures> received;  // none: the figures keep their last values
  size_t videoFrames = 0;                            // frames waiting in the media buffer's channels
  size_t audioFrames = 0;
};

struct TransmissionView {
  std::wstring group;
  bool barsRed = false;
  std::wstring bitRate, frameRate;
  bool frameRateShown = true;
  int32_t videoFill = 0, audioFill = 0;  // on the bars' 0..1000 scale, the channels' capacity
  std::wstring videoCount, audioCount;
  std::wstring reception;  // over RTP: packets received, lost, recovered and the jitter; else empty
};

// The refreshed part keeps the last figures between transports, and hides the frame rate for
// good once the streams have ended.
class TransmissionFigures {
 public:
  TransmissionView Update(const TransmissionInputs& in);

 private:
  int32_t bytesPerSecond_ = -1;  // none sampled yet
  int32_t framesPerSecond_ = 0;
  bool ended_ = false;
  std::optional<protocol::RtpReceptionFigures> reception_;
};

// "%H hr, %M min, %S sec", "%M min, %S sec", "%S sec" or "Unknown".
std::wstring DurationText(int32_t durationMs);

}  // namespace zm::ui
