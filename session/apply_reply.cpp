#include "session/apply_reply.h"

#include <algorithm>

#include "control/stream_facts.h"
#include "session/request_text.h"

namespace zm::session {
namespace {

constexpr uint32_t kFlagLiveBuffering = 1u << 0;
constexpr uint32_t kFlagSnapshots = 1u << 1;
constexpr uint32_t kFlagTimeShift = 1u << 2;
constexpr int64_t kUnitsPerSecond = 10000000;

// The stream-change frame carries the window's figures in the u16 words of its time field.
uint16_t TimeWord(const MediaFrame& frame, int index) {
  return static_cast<uint16_t>(static_cast<uint64_t>(frame.time) >> (16 * index));
}

}  // namespace

void ApplyReplyValues(const ReplyInputs& in, SessionValues& v) {
  const transport::ReplyStatus& status = in.status;
  const transport::StreamFormat& video = in.formats[transport::kVideoFormatIndex];
  const transport::StreamFormat& audio = in.formats[transport::kAudioFormatIndex];
  const bool playList = in.nResourceKind == static_cast<int32_t>(ResourceKind::FilePlayList);

  v.nServerResult = static_cast<int32_t>(status.result);
  v.nStreamKind = status.resourceKind;
  v.nDurationMs = static_cast<int32_t>(status.serverFlags);
  v.bSeekable = static_cast<int32_t>(status.seekable);

  if (playList && status.resourceKind == 1) {
    v.nPlayListGeneration = status.playlistGeneration;
    v.nStreamKind = 1;
    v.bLiveBuffering = false;
  }
  if (!video.IsPresent()) v.bAudioOnly = true;
  if (video.IsPresent() && audio.IsPresent()) v.bAudioWithVideo = true;

  const bool live = v.nStreamKind == 1;
  const bool liveResource = !playList && live;
  if ((status.serverFlags & kFlagSnapshots) && liveResource && !v.bAudioOnly && in.bNormalIntegrity)
    v.bSnapshotAllowed = true;
  v.bLiveBuffering = (status.serverFlags & kFlagLiveBuffering) && liveResource;

  // A time-shift window announced by the reply: H seconds in all, W = length | max << 16.
  bool timeShift = false;
  const uint32_t h = status.serverFlags >> 16;
  std::optional<uint32_t> w;
  if (video.IsPresent()) w = video.type.temporalCompression;
  else if (audio.IsPresent()) w = audio.type.temporalCompression;
  if ((status.serverFlags & kFlagTimeShift) && liveResource && h != 0 && w && (*w & 0xFFFF) >= 15 &&
      (*w >> 16) >= 60) {
    timeShift = true;
    v.bSeekable = 1;
  }
  // The option bits are used up; a live stream has no duration.
  if (liveResource) v.nDurationMs = 0;

  const control::VideoFacts facts = control::ReadVideoFacts(video);
  v.nVideoWidth = facts.hasPictureHeader ? facts.width : kNoVideoWidth;
  v.nVideoHeight = facts.hasPictureHeader ? facts.height : kNoVideoHeight;

  const std::optional<MediaFrame>& change = in.streamChange;
  if (change && live && change->time != 0) {
    timeShift = true;
    v.bSeekable = 1;
  }
  v.bFlowBarSeekable = v.bSeekable != 0;

  if (live && timeShift) {
    uint32_t totalSeconds;
    if (!change) {
      v.nTimeShiftLength = static_cast<uint16_t>(*w & 0xFFFF);
      v.nTimeShiftMax = static_cast<uint16_t>(*w >> 16);
      totalSeconds = h;
    } else {
      v.nTimeShiftLength = TimeWord(*change, 1);
      v.nTimeShiftMax = TimeWord(*change, 0);
      totalSeconds = TimeWord(*change, 2);
    }
    v.nTimeShiftPosition = 0;
    v.llTimeShiftTotalTime = static_cast<int64_t>(totalSeconds) * kUnitsPerSecond;
    v.nPlaybackMode = LiveTimeShift;
  } else if (live) {
    v.nPlaybackMode = Live;
  } else if (change) {
    // The server has moved a live session into its time-shift window.
    v.nTimeShiftMax = TimeWord(*change, 0);
    v.bTimeShiftCanSwitchToLive = (change->flags & 1) == 0;
    v.nTimeShiftLength = TimeWord(*change, 1);
    v.nTimeShiftPosition = change->itemIndex;
    if (v.bTimeShiftCanSwitchToLive) {
      const int32_t carry = in.nTimeShiftCarrySec;
      v.nTimeShiftPosition = carry + v.nTimeShiftPosition + 1;
      v.nTimeShiftLength = static_cast<uint16_t>(v.nTimeShiftLength + carry + 1);
      v.nTimeShiftLength = std::min(v.nTimeShiftLength, v.nTimeShiftMax);
    }
    v.nPlaybackMode = TimeShiftPlayback;
  } else {
    v.nPlaybackMode = Stored;
  }
  if (v.nPlaybackMode == Stored || v.nPlaybackMode == Live) {
    v.nTimeShiftPosition = 0;
    v.bTimeShiftCanSwitchToLive = false;
  }
}

}  // namespace zm::session
