#include "session/media_buffer_state.h"

#include <algorithm>
#include <cstdint>

#include "protocol/media_frame_codec.h"
#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::kStreamTypeAudio;
using protocol::kStreamTypeVideo;

// Audio codecs whose frames are short, so that more of them make the same latency.
constexpr protocol::Guid kOpusSubtype = protocol::MEDIASUBTYPE_Opus;
constexpr protocol::Guid kOpusFourCCSubtype = protocol::FourCCGuid(0x5355504F);  // 'OPUS'
constexpr protocol::Guid kAacTagSubtype = protocol::FourCCGuid(0x00FF);          // wave format tag 0x00FF
constexpr size_t kOpusLagFrames = 15;
constexpr size_t kAacLagFrames = 10;
constexpr size_t kOtherLagFrames = 5;
constexpr size_t kBothStreamsLagFrames = 50;

bool IsVideoKeyFrame(const MediaFrame& frame) { return frame.streamType == kStreamTypeVideo && frame.keyFrame == 1; }

// Frame times come from the server: a difference saturates rather than overflows.
int64_t Minus(int64_t a, int64_t b) {
  int64_t result;
  if (!__builtin_sub_overflow(a, b, &result)) return result;
  return b < 0 ? INT64_MAX : INT64_MIN;
}

int64_t Relative(int64_t time, int64_t base) { return std::max<int64_t>(Minus(time, base), 0); }

}  // namespace

MediaBufferState::MediaBufferState(uint32_t resourceKind, bool videoPresent, bool audioPresent,
                                   const protocol::Guid& audioSubtype)
    : resourceKind_(resourceKind), audioSubtype_(audioSubtype) {
  video_.present = videoPresent;
  audio_.present = audioPresent;
}

MediaBufferState::Stream* MediaBufferState::Of(uint32_t streamType) {
  return const_cast<Stream*>(static_cast<const MediaBufferState*>(this)->Of(streamType));
}

const MediaBufferState::Stream* MediaBufferState::Of(uint32_t streamType) const {
  if (streamType == kStreamTypeAudio) return &audio_;
  if (streamType == kStreamTypeVideo) return &video_;
  return nullptr;  // no other stream type has a channel
}

bool MediaBufferState::HasStream(uint32_t streamType) const {
  const Stream* stream = Of(streamType);
  return stream && stream->present;
}

void MediaBufferState::SetAudioAbsent() { audio_ = Stream{}; }

bool MediaBufferState::ShouldRebuffer(const BufferPlayerView& player, size_t audioCount) const {
  if (resourceKind_ == 0) return !player.m_bSeeking && !AnyEnded();
  if (!Live()) return false;
  if (player.m_nResourceKind == protocol::FilePlayList || !player.m_bLiveBuffering) return false;
  // Enough audio buffered carries both streams through a short video gap.
  return !(TwoStreams() && audioCount >= 2 * static_cast<size_t>(std::max(player.m_nBufferSeconds, 0)));
}

bool MediaBufferState::HasEnoughLiveData(size_t audioCount, size_t videoCount) const {
  size_t threshold = kOtherLagFrames;
  if (audio_.present) {
    if (audioSubtype_ == kOpusSubtype || audioSubtype_ == kOpusFourCCSubtype) {
      threshold = kOpusLagFrames;
    } else if (audioSubtype_ == kAacTagSubtype) {
      threshold = kAacLagFrames;
    }
  }
  if (!TwoStreams()) return audioCount + videoCount > threshold;
  return audioCount > threshold || audioCount + videoCount > kBothStreamsLagFrames;
}

DeliverDecision MediaBufferState::OnDeliver(const MediaFrame& frame, const BufferPlayerView& player,
                                            const BufferChannelView& channels, int64_t now) {
  DeliverDecision out;
  if (!HasStream(frame.streamType)) {
    out.drop = true;
    return out;
  }
  if (Live()) WatchLiveLag(frame, player, channels, now, out);
  if (player.m_bBuffering) UpdateBuffering(frame, player, channels, now, out);
  return out;
}

void MediaBufferState::WatchLiveLag(const MediaFrame& frame, const BufferPlayerView& player,
                                    const BufferChannelView& channels, int64_t now, DeliverDecision& out) {
  if (player.m_nResourceKind == protocol::FilePlayList || player.m_bBuffering || lastDelivery_ == 0) return;
  if (player.m_bLiveBuffering) {
    // The renderer has taken nothing for a while: start it again from the next key frame.
    if (player.m_bRendererRunning && now - lastDelivery_ >= kStarvedSeconds) {
      lastDelivery_ = now;
      resyncRequested_ = true;
      out.resync = kResyncKeep;
    }
    return;
  }
  // Latency control: once too much is queued, drop it at the next point a picture can start.
  const bool enough = HasEnoughLiveData(channels.audioCount, channels.videoCount);
  if (!lagLatch_ && enough) lagLatch_ = true;
  if (lagLatch_ && (IsVideoKeyFrame(frame) || !video_.present)) {
    if (enough) out.resync = kResyncFlush;
    lagLatch_ = false;
  }
}

void MediaBufferState::UpdateBuffering(const MediaFrame& frame, const BufferPlayerView& player,
                                       const BufferChannelView& channels, int64_t now, DeliverDecision& out) {
  if (resourceKind_ == 0 && player.m_bSeeking) return;
  if (Live() && (player.m_nResourceKind == protocol::FilePlayList || !player.m_bLiveBuffering)) return;

  Stream& stream = *Of(frame.streamType);
  const int64_t seconds = std::max(player.m_nBufferSeconds, 0);
  const size_t limit = std::min(static_cast<size_t>(seconds) * kFrameLimitPerSecond, kFrameLimit);
  const size_t n = frame.streamType == kStreamTypeAudio ? channels.audioCount : channels.videoCount;
  if (frame.time != 0) stream.buffered = Minus(frame.time, stream.lastTime);

  const int64_t target = seconds * kUnitsPerSecond;
  auto percent = [target](const Stream& s) -> int64_t {
    return target == 0 ? 100 : std::clamp<int64_t>(s.buffered, -target, target) * 100 / target;
  };
  int64_t candidate = TwoStreams() ? (percent(video_) + percent(audio_)) / 2 : percent(stream);
  if (candidate > bufferingPercent_) bufferingPercent_ = static_cast<int32_t>(candidate);

  const bool full = stream.buffered >= target || n >= limit;
  if (n < kOverflowFrames && frame.length != 0) {
    if (full) OpenGate(frame.streamType, channels, now, out);
    return;
  }
  // A channel about to overflow, or the end of a stream: play what there is.
  out.openAudioGate = !channels.audioGateOpen;
  out.openVideoGate = !channels.videoGateOpen;
  EndRebuffering(now, out);
}

void MediaBufferState::OpenGate(uint32_t streamType, const BufferChannelView& channels, int64_t now,
                                DeliverDecision& out) {
  const bool audio = streamType == kStreamTypeAudio;
  // Rebuffering ends when the second gate opens.
  if (audio ? channels.videoGateOpen : channels.audioGateOpen) EndRebuffering(now, out);
  (audio ? out.openAudioGate : out.openVideoGate) = true;
}

void MediaBufferState::EndRebuffering(int64_t now, DeliverDecision& out) {
  out.endRebuffering = true;  // UpdateBuffering runs only while m_bBuffering is set
  lastDelivery_ = now;
}

bool MediaBufferState::Refuses(uint32_t streamType) const {
  const Stream* stream = Of(streamType);
  return !stream || stream->ended;
}

EndDecision MediaBufferState::OnEndMarker(uint32_t streamType) {
  EndDecision out;
  Stream* stream = Of(streamType);
  if (!stream || stream->ended) return out;
  stream->ended = true;
  const bool audioDone = !audio_.present || audio_.ended;
  const bool videoDone = !video_.present || video_.ended;
  out.allEnded = audioDone && videoDone;
  out.pushEndMarkers = !out.allEnded;
  return out;
}

bool MediaBufferState::HoldForResync(const MediaFrame& frame, const BufferPlayerView& player) {
  if (!Live() || !player.m_bLiveBuffering || player.m_nResourceKind == protocol::FilePlayList || player.m_bBuffering ||
      audio_.present) {
    return false;
  }
  if (video_.lastTime == 0 || !IsVideoKeyFrame(frame)) return false;
  if (Minus(frame.time, video_.lastTime) <= kResyncGap && !resyncRequested_) return false;
  video_.lastTime = frame.time;
  resyncRequested_ = false;
  return true;
}

HandOutDecision MediaBufferState::OnHandOut(MediaFrame& frame, const BufferPlayerView& player,
                                            const BufferChannelView& channels, bool desktopReachable, int64_t now) {
  HandOutDecision out;
  Stream* stream = Of(frame.streamType);
  if (!stream) return out;
  if (frame.time != 0) stream->lastTime = frame.time;
  if (timeBase_ == -1 && frame.time != 0) timeBase_ = frame.time;
  if (timeBase_ != -1) {
    frame.time = Relative(frame.time, timeBase_);
    frame.stopTime = Relative(frame.stopTime, timeBase_);
  }
  const size_t left = frame.streamType == kStreamTypeAudio ? channels.audioCount : channels.videoCount;
  // The other stream's channel at its overflow mark means the buffer is already full; the
  // producer may be waiting on it, and a closed gate would then never open.
  const bool overflowing = channels.audioCount >= kOverflowFrames || channels.videoCount >= kOverflowFrames;
  if (left == 0 && !overflowing && desktopReachable && ShouldRebuffer(player, channels.audioCount)) {
    out.closeGate = true;
    // A second stream running dry during the same rebuffering only closes its gate too.
    if (!player.m_bBuffering) {
      out.startRebuffering = true;
      bufferingPercent_ = 0;
      audio_.buffered = 0;
      video_.buffered = 0;
    }
  }
  lastDelivery_ = now;
  return out;
}

void MediaBufferState::OnFlush() {
  audio_.ended = false;
  video_.ended = false;
}

}  // namespace zm::session
