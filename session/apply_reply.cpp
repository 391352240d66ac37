#include "session/apply_reply.h"

#include <algorithm>

#include "session/stream_facts.h"
#include "protocol/player_enums.h"

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

void ApplyReply(const protocol::ReplyStatus& status, const protocol::StreamFormatPair& formats,
                const std::optional<MediaFrame>& change, const PlayerSettings& settings, SessionValues& v) {
  const protocol::StreamFormat& video = formats[protocol::kVideoFormatIndex];
  const protocol::StreamFormat& audio = formats[protocol::kAudioFormatIndex];
  v.m_videoType = video;
  v.m_audioType = audio;
  const bool playList = settings.m_nResourceKind == protocol::FilePlayList;

  v.m_replyStatus = status;
  v.m_nServerResult = static_cast<int32_t>(status.result);
  v.m_nStreamKind = status.resourceKind;
  v.m_nDurationMs = static_cast<int32_t>(status.serverFlags);
  v.m_bSeekable = static_cast<int32_t>(status.seekable);

  if (playList && status.resourceKind == 1) {
    v.m_nPlayListGeneration = status.playlistGeneration;
    v.m_nStreamKind = 1;
    v.m_bLiveBuffering = false;
  }
  if (!video.IsPresent()) v.m_bAudioOnly = true;
  if (video.IsPresent() && audio.IsPresent()) v.m_bAudioWithVideo = true;

  const bool live = v.m_nStreamKind == 1;
  const bool liveResource = !playList && live;
  if ((status.serverFlags & kFlagSnapshots) && liveResource && !v.m_bAudioOnly && settings.m_bNormalIntegrity)
    v.m_bSnapshotAllowed = true;
  v.m_bLiveBuffering = (status.serverFlags & kFlagLiveBuffering) && liveResource;

  // A time-shift window announced by the reply: H seconds in all, W = length | max << 16.
  bool timeShift = false;
  const uint32_t h = status.serverFlags >> 16;
  std::optional<uint32_t> w;
  if (video.IsPresent()) w = video.type.temporalCompression;
  else if (audio.IsPresent()) w = audio.type.temporalCompression;
  if ((status.serverFlags & kFlagTimeShift) && liveResource && h != 0 && w && (*w & 0xFFFF) >= 15 && (*w >> 16) >= 60) {
    timeShift = true;
    v.m_bSeekable = 1;
  }
  // The option bits are used up; a live stream has no duration.
  if (liveResource) v.m_nDurationMs = 0;

  const VideoFacts facts = ReadVideoFacts(video);
  v.m_nVideoWidth = facts.hasPictureHeader ? facts.width : kNoVideoWidth;
  v.m_nVideoHeight = facts.hasPictureHeader ? facts.height : kNoVideoHeight;

  if (change && live && change->time != 0) {
    timeShift = true;
    v.m_bSeekable = 1;
  }

  if (live && timeShift) {
    uint32_t totalSeconds;
    if (!change) {
      v.m_nTimeShiftLength = static_cast<uint16_t>(*w & 0xFFFF);
      v.m_nTimeShiftMax = static_cast<uint16_t>(*w >> 16);
      totalSeconds = h;
    } else {
      v.m_nTimeShiftLength = TimeWord(*change, 1);
      v.m_nTimeShiftMax = TimeWord(*change, 0);
      totalSeconds = TimeWord(*change, 2);
    }
    v.m_nTimeShiftPosition = 0;
    v.m_llTimeShiftTotalTime = static_cast<int64_t>(totalSeconds) * kUnitsPerSecond;
    v.m_nPlaybackMode = protocol::LiveTimeShift;
  } else if (live) {
    v.m_nPlaybackMode = protocol::Live;
  } else if (change) {
    // The server has moved a live session into its time-shift window.
    v.m_nTimeShiftMax = TimeWord(*change, 0);
    v.m_bTimeShiftCanSwitchToLive = (change->flags & 1) == 0;
    v.m_nTimeShiftLength = TimeWord(*change, 1);
    v.m_nTimeShiftPosition = change->itemIndex;
    if (v.m_bTimeShiftCanSwitchToLive) {
      const int32_t carry = v.m_nTimeShiftCarrySec;
      v.m_nTimeShiftPosition = carry + v.m_nTimeShiftPosition + 1;
      v.m_nTimeShiftLength = static_cast<uint16_t>(v.m_nTimeShiftLength + carry + 1);
      v.m_nTimeShiftLength = std::min(v.m_nTimeShiftLength, v.m_nTimeShiftMax);
    }
    v.m_nPlaybackMode = protocol::TimeShiftPlayback;
  } else {
    v.m_nPlaybackMode = protocol::Stored;
  }
  if (v.m_nPlaybackMode == protocol::Stored || v.m_nPlaybackMode == protocol::Live) {
    v.m_nTimeShiftPosition = 0;
    v.m_bTimeShiftCanSwitchToLive = false;
  }
}

}  // namespace zm::session
