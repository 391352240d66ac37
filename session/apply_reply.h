// What the server's reply (or a stream-change frame) makes of the session: stream kind,
// audio/video presence, snapshot and live-buffering permissions, seekability, picture size,
// time-shift window and playback mode. Pure arithmetic; the caller copies the values in and out.
#pragma once

#include <cstdint>
#include <optional>

#include "transport/media_frame.h"
#include "transport/reply_codec.h"
#include "transport/stream_format_codec.h"

namespace zm::session {

// `m_nPlaybackMode`: stored, live, live with a time-shift window, playback from the window.
enum PlaybackMode : int32_t { Stored = 1, Live = 2, LiveTimeShift = 3, TimeShiftPlayback = 4 };

// The picture size of a session without a usable video picture header.
inline constexpr int32_t kNoVideoWidth = 250;
inline constexpr int32_t kNoVideoHeight = 30;

struct ReplyInputs {
  transport::ReplyStatus status;
  transport::StreamFormatPair formats;  // video, audio
  int32_t nResourceKind = 0;            // `m_nResourceKind`
  bool bNormalIntegrity = true;
  int32_t nTimeShiftCarrySec = 0;
  // The header of the pending stream-change frame, when the reply came with one.
  std::optional<MediaFrame> streamChange;
};

// The session fields ApplyReply writes, under the player's names. Flags that it only ever
// sets (audio-only, audio-with-video, snapshot) keep what the caller passes in otherwise.
struct SessionValues {
  int32_t nServerResult = 0;
  int32_t nStreamKind = 0;
  int32_t nDurationMs = 0;
  int32_t bSeekable = 0;
  int32_t nPlayListGeneration = 0;
  bool bLiveBuffering = false;
  bool bAudioOnly = false;
  bool bAudioWithVideo = false;
  bool bSnapshotAllowed = false;
  int32_t nVideoWidth = 0;
  int32_t nVideoHeight = 0;
  uint16_t nTimeShiftLength = 0;
  uint16_t nTimeShiftMax = 0;
  int32_t nTimeShiftPosition = 0;
  bool bTimeShiftCanSwitchToLive = true;
  int64_t llTimeShiftTotalTime = 0;  // 100-ns units
  int32_t nPlaybackMode = 0;         // handed to the flow bar's SetFlowMode
  bool bFlowBarSeekable = false;     // the flow bar's seek permission
};

// Applies the reply to `values`. A video format block too short for the picture header,
// a format type without one, or a width or height of 0 or less counts as no picture header:
// the size is then 250 x 30, as for a stream without video.
void ApplyReplyValues(const ReplyInputs& inputs, SessionValues& values);

}  // namespace zm::session
