// MediaBuffer: the two frame channels, the two gates, the clock and the held key frame between
// the grabber thread, which delivers frames, and the renderer's readers, which take them. The
// decisions are MediaBufferState's; this class holds the buffer lock around them and carries
// them out, telling the control through its site only after the lock is released.
// Frames are never copied: the record the transport allocated is the one a reader receives.
// Portable: CMediaBuffer puts the COM interface and the window messages around it.
#pragma once

#include <atomic>
#include <cstdint>

#include "session/frame_channel.h"
#include "session/gate.h"
#include "session/media_buffer_state.h"
#include "session/mutex.h"

namespace zm::session {

// What the media buffer needs of the control around it. Called from the grabber thread and
// from the renderer's threads; the rebuffering flag's reads and changes, and the posts that go
// with them, under the buffer lock (so they must not block or call back into the buffer).
class MediaBufferSite {
 public:
  virtual BufferPlayerView PlayerView() = 0;
  // m_bBuffering goes up and WM_ZM_SESSION kSessionPause is posted.
  virtual void StartRebuffering() = 0;
  // m_bBuffering goes down and WM_ZM_SESSION kSessionResume is posted.
  virtual void EndRebuffering() = 0;
  // Posts WM_ZM_RESYNC with kResyncFlush or kResyncKeep.
  virtual void RequestResync(int32_t keep) = 0;
  // Every stream has handed out its end: post WM_CANCELMODE, then the stop command.
  virtual void AllStreamsEnded() = 0;
  // Delivers end markers for the session's streams again.
  virtual void PushEndMarkers() = 0;
  // The time-shift catch-up check: true (and the control told) when playback from the window
  // has reached the live edge, so that the frame in hand is dropped. Under the buffer lock.
  virtual bool TimeShiftCaughtUp() = 0;
  // False while the interactive desktop is locked away.
  virtual bool DesktopReachable() = 0;
  virtual int64_t NowSeconds() = 0;

 protected:
  ~MediaBufferSite() = default;
};

class MediaBuffer {
 public:
  // `drop` frees a frame nobody takes (the task allocator's record and payload in the control).
  MediaBuffer(MediaBufferSite& site, FrameDropper drop, uint32_t resourceKind, bool videoPresent, bool audioPresent,
              const protocol::Guid& audioSubtype);
  MediaBuffer(const MediaBuffer&) = delete;
  MediaBuffer& operator=(const MediaBuffer&) = delete;
  // Stops, waits until every thread has left the channels, drops what is left.
  ~MediaBuffer();

  // Grabber thread (and the end-marker pushers): takes the frame over, waiting while its
  // channel is full. A frame of no present stream, or one the channel refuses, is dropped.
  void DeliverFrame(MediaFrame* frame);
  // Renderer threads: the next frame of the stream, whose record and payload then belong to
  // the caller; false (and `out` null) when there is none to hand out.
  bool GetFrame(uint32_t streamType, MediaFrame*& out);

  // Control window's thread.
  void Flush();
  void Abort();
  void Resume();
  void MarkDelivery();
  void ResetTimeBase();
  // The renderer decodes no audio: frames of that stream are dropped from now on.
  void SetAudioAbsent();
  // The session's stop: every wait returns and nothing is taken or handed out any more.
  void Stop();

  // For the session timer and the status window.
  int32_t BufferingPercent() const;
  int64_t LastVideoTime() const;
  int64_t LastAudioTime() const;
  size_t Count(uint32_t streamType) const;

 private:
  FrameChannel* ChannelOf(uint32_t streamType);
  Gate* GateOf(uint32_t streamType);
  BufferChannelView Channels() const;
  void Drop(MediaFrame* frame) { drop_(frame); }

  MediaBufferSite& site_;
  const FrameDropper drop_;
  mutable Mutex bufferLock_;  // taken before a channel's own lock, never the other way
  MediaBufferState state_;
  MediaFrame* heldKeyFrame_ = nullptr;  // under bufferLock_
  std::atomic<bool> aborting_{false};
  FrameChannel audioChannel_;
  FrameChannel videoChannel_;
  Gate audioGate_;
  Gate videoGate_;
};

}  // namespace zm::session
