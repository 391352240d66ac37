// MediaBufferState: the media buffer's clock and its decisions (when to rebuffer, when a stream
// is full, when a live stream lags or must resynchronise, when every stream has ended), with the
// player's flags and the channel counts as inputs and what to do as results. CMediaBuffer holds
// its buffer lock around every call and carries the results out (gates, player flags, window
// messages), posting only after it has released the lock. Portable: no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/guid.h"
#include "protocol/media_frame.h"
#include "protocol/player_enums.h"

namespace zm::session {

// The player's fields the decisions read, copied by CMediaBuffer at each call.
struct BufferPlayerView {
  bool m_bBuffering = false;
  bool m_bSeeking = false;
  bool m_bLiveBuffering = false;
  int32_t m_nBufferSeconds = 5;
  int32_t m_nResourceKind = protocol::None;  // FilePlayList: a server-playlist session
  bool m_bRendererRunning = true;
};

// The channels' counts and the gates as CMediaBuffer sees them at the call.
struct BufferChannelView {
  size_t audioCount = 0;
  size_t videoCount = 0;
  bool audioGateOpen = true;
  bool videoGateOpen = true;
};

// WM_ZM_RESYNC's lParam, or none.
inline constexpr int32_t kNoResync = -1;
inline constexpr int32_t kResyncFlush = 0;  // drop what is buffered, then resynchronise
inline constexpr int32_t kResyncKeep = 1;

// What DeliverFrame does besides pushing the frame.
struct DeliverDecision {
  bool drop = false;  // no channel takes this frame: free it instead of pushing it
  bool openAudioGate = false;
  bool openVideoGate = false;
  bool endRebuffering = false;  // clear m_bBuffering, post WM_ZM_SESSION kSessionResume
  int32_t resync = kNoResync;   // post WM_ZM_RESYNC with this lParam
};

// What GetFrame does with an end-of-stream marker it has taken (it drops the marker and fails).
struct EndDecision {
  bool allEnded = false;        // post WM_CANCELMODE, then WM_COMMAND kCommandStop with lParam 1
  bool pushEndMarkers = false;  // the other stream has not ended: make sure its reader gets one
};

// What GetFrame does after the bookkeeping of a frame it hands out.
struct HandOutDecision {
  bool closeGate = false;         // close the gate of the frame's stream
  bool startRebuffering = false;  // set m_bBuffering, post WM_ZM_SESSION kSessionPause
};

class MediaBufferState {
 public:
  static constexpr int64_t kUnitsPerSecond = 10'000'000;  // frame times are in 100-ns units
  static constexpr size_t kFrameLimitPerSecond = 50;
  static constexpr size_t kFrameLimit = 900;      // a stream is full at this many frames
  static constexpr size_t kOverflowFrames = 999;  // rebuffering ends whatever the durations
  static constexpr int64_t kResyncGap = 2 * kUnitsPerSecond;
  static constexpr int64_t kStarvedSeconds = 10;

  // `resourceKind` is the reply's: 0 stored, 1 live. An absent stream never takes a frame.
  MediaBufferState(uint32_t resourceKind, bool videoPresent, bool audioPresent, const protocol::Guid& audioSubtype);

  // --- Grabber thread (DeliverFrame, before the push): WatchLiveLag and UpdateBuffering.
  DeliverDecision OnDeliver(const MediaFrame& frame, const BufferPlayerView& player, const BufferChannelView& channels,
                            int64_t now);

  // --- Renderer threads (GetFrame), in its order.
  // True when GetFrame fails at once: the stream has no channel or has handed out its end.
  bool Refuses(uint32_t streamType) const;
  // The frame taken is an end marker (`length` 0): the stream has ended.
  EndDecision OnEndMarker(uint32_t streamType);
  // CheckResync: true when a live video key frame must be held back (GetFrame keeps it, posts
  // WM_ZM_RESYNC kResyncKeep and fails; the next video GetFrame hands it out).
  bool HoldForResync(const MediaFrame& frame, const BufferPlayerView& player);
  // Records the frame's time, makes its times relative to the time base, and decides whether its
  // stream starts rebuffering. `channels` holds the counts after the frame was taken;
  // `desktopReachable` is false while the interactive desktop is locked away.
  HandOutDecision OnHandOut(MediaFrame& frame, const BufferPlayerView& player, const BufferChannelView& channels,
                            bool desktopReachable, int64_t now);

  // --- Control window's thread.
  void OnFlush();  // the channels are emptied: no stream has ended any more
  void ResetTimeBase() { timeBase_ = -1; }
  void MarkDelivery(int64_t now) { lastDelivery_ = now; }
  // The renderer plays video only: counts, rebuffering and the end stop expecting audio.
  // CMediaBuffer also opens the audio gate, which nothing would open any more.
  void SetAudioAbsent();

  // The decisions' parts, for the callers that need them alone.
  bool ShouldRebuffer(const BufferPlayerView& player, size_t audioCount) const;
  bool HasEnoughLiveData(size_t audioCount, size_t videoCount) const;

  bool HasStream(uint32_t streamType) const;
  bool TwoStreams() const { return audio_.present && video_.present; }
  uint32_t ResourceKind() const { return resourceKind_; }
  int64_t TimeBase() const { return timeBase_; }
  int64_t LastAudioTime() const { return audio_.lastTime; }
  int64_t LastVideoTime() const { return video_.lastTime; }
  int64_t BufferedAudio() const { return audio_.buffered; }
  int64_t BufferedVideo() const { return video_.buffered; }
  int32_t BufferingPercent() const { return bufferingPercent_; }
  int64_t LastDelivery() const { return lastDelivery_; }
  bool ResyncRequested() const { return resyncRequested_; }
  bool LagLatched() const { return lagLatch_; }

 private:
  struct Stream {
    bool present = false;
    bool ended = false;    // its end marker has been handed through GetFrame
    int64_t lastTime = 0;  // absolute time of the last frame handed out; 0 none yet
    int64_t buffered = 0;  // while rebuffering: newest delivered time minus lastTime
  };

  Stream* Of(uint32_t streamType);
  const Stream* Of(uint32_t streamType) const;
  bool Live() const { return resourceKind_ == 1; }
  bool AnyEnded() const { return audio_.ended || video_.ended; }
  void WatchLiveLag(const MediaFrame& frame, const BufferPlayerView& player, const BufferChannelView& channels,
                    int64_t now, DeliverDecision& out);
  void UpdateBuffering(const MediaFrame& frame, const BufferPlayerView& player, const BufferChannelView& channels,
                       int64_t now, DeliverDecision& out);
  void OpenGate(uint32_t streamType, const BufferChannelView& channels, int64_t now, DeliverDecision& out);
  void EndRebuffering(int64_t now, DeliverDecision& out);

  const uint32_t resourceKind_;
  const protocol::Guid audioSubtype_;
  Stream audio_;
  Stream video_;
  int64_t timeBase_ = -1;  // -1: unset; the next timed frame sets it
  int32_t bufferingPercent_ = 0;
  bool lagLatch_ = false;
  int64_t lastDelivery_ = 0;  // seconds since 1970; 0: nothing handed out yet
  bool resyncRequested_ = false;
};

}  // namespace zm::session
