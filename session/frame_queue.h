// FrameQueue: the grabber thread's side of the frame path. It takes frames from the transport
// (or from the frames held back after a stream change), recognises stream changes, seek
// completions and the ends of streams, pre-rolls the media buffer before the renderer starts,
// and hands every ordinary frame to the media buffer. It owns the frames held back after a
// stream change and the stream-change frame waiting to be applied; both survive a run of the
// grabber thread, which is what they are for.
// Portable: the control supplies the transport, the allocator and the media buffer as its site.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "protocol/media_frame.h"
#include "protocol/stream_change_codec.h"
#include "session/mutex.h"
#include "session/player_state.h"

namespace zm::session {

class FrameQueueSite {
 public:
  // The transport's read-frame operation: fills the record and a payload of its own.
  virtual bool ReadFrame(MediaFrame& frame, std::wstring& errorText) = 0;
  // A zeroed record, or null when there is no memory.
  virtual MediaFrame* AllocateFrame() = 0;
  // A payload block for a copy, or null when there is no memory.
  virtual uint8_t* AllocatePayload(size_t size) = 0;
  // Frees the payload, then the record.
  virtual void DropFrame(MediaFrame* frame) = 0;
  // The media buffer's operations; DeliverFrame takes the frame over.
  virtual void DeliverFrame(MediaFrame* frame) = 0;
  virtual void FlushBuffer() = 0;
  virtual void ResetTimeBase() = 0;
  // The session's stop event.
  virtual bool StopSignalled() = 0;
  virtual void SignalStop() = 0;
  // A seek has completed: reset the restart event, post WM_CANCELMODE and then
  // WM_ZM_SESSION kSessionResume.
  virtual void SeekCompleted() = 0;

 protected:
  ~FrameQueueSite() = default;
};

class FrameQueue {
 public:
  // What CheckStreamChange made of a frame.
  enum class StreamChange {
    None,     // not a stream-change frame: the caller goes on with it
    Ignored,  // marked as one but without a readable description: dropped
    Pending,  // now the pending stream change (the queue owns it)
  };

  static constexpr size_t kPrerollFrameLimit = 200;
  static constexpr int64_t kPrerollSeconds = 2;
  static constexpr size_t kLiveFillOverflow = 999;
  static constexpr uint16_t kPlayListPrerollTag = 0x115;

  // Tag 0x9F64 with stop time -19839: the frame announces a stream change.
  static bool IsStreamChange(const MediaFrame& frame);

  FrameQueue(const PlayerSettings& settings, SessionValues& session, FrameQueueSite& site);
  FrameQueue(const FrameQueue&) = delete;
  FrameQueue& operator=(const FrameQueue&) = delete;
  ~FrameQueue();  // drops what is still held

  // The oldest held-back frame (unless `skipPending`), else the next from the transport.
  // The caller allocated `out` and frees it on failure.
  bool NextFrame(MediaFrame* out, std::wstring& errorText, bool skipPending);
  // Takes a stream-change frame over (Pending or Ignored); `rebuild` tells whether the run must
  // restart with new media types.
  StreamChange CheckStreamChange(MediaFrame* frame, bool& rebuild);
  // The per-frame step of the playing loop; takes the frame over. False, as the pre-rolls, when
  // the pre-roll after a seek's completion fails.
  bool HandleFrame(MediaFrame* frame, int& endCount, std::wstring& errorText);
  // While a stream change is pending the playing loop keeps a copy of each frame it reads, to be
  // served first by the next run. False when there is no memory for the copy.
  bool HoldBack(const MediaFrame& frame);
  bool HasPendingStreamChange() const;
  size_t PendingFrameCount() const;
  void PushEndMarkers();
  void ClearPendingFrames();
  // Instead of negotiating, the next run applies the pending stream change. False (nothing
  // changed) when none is pending.
  bool ApplyPendingFormat();

  // Pre-rolls. False, with the transport's text and the session's error recorded, when the
  // transport fails.
  bool PrerollStored(int& endCount, std::wstring& errorText);
  bool PrerollLive(std::wstring& errorText);
  bool PrerollLiveFill(std::wstring& errorText);

 private:
  enum class Read { Frame, Skipped, StreamChanged, Failed };
  // Allocates a record and fills it (NextFrame, or the pending list under the lock), then
  // recognises a stream change: the run ends with end markers behind what is buffered.
  // Skipped: a stream-change frame without a description was dropped.
  Read ReadPrerollFrame(bool skipPending, MediaFrame*& frame, std::wstring& errorText);
  // The loop every pre-roll runs until the stop event: reads a frame, ends on a failure (false)
  // or a stream change (true), skips what was dropped, and hands the rest to `take`, which
  // answers true once the pre-roll has what it needs.
  template <class Take>
  bool RunPreroll(bool skipPending, std::wstring& errorText, Take&& take);
  bool CompareStreamChange(const protocol::StreamChange& change, bool& rebuild) const;
  void ClearPendingLocked();
  bool HasVideo() const;
  bool HasAudio() const;

  const PlayerSettings& settings_;
  SessionValues& session_;
  FrameQueueSite& site_;
  mutable Mutex sessionLock_;  // the held-back frames and the pending stream change
  std::deque<MediaFrame*> pendingFrames_;
  MediaFrame* pendingStreamChange_ = nullptr;
  std::optional<protocol::StreamChange> pendingDescription_;  // decoded once, when it became pending
};

}  // namespace zm::session
