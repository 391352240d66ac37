// FrameChannel: the bounded queue of one stream between the grabber thread (and the end-marker
// pushers) and the renderer's reader of that stream. Frames are never copied: the channel holds
// the records the transport allocated and hands the same records out.
// Any thread may call any method; destruction waits until no thread is inside.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <deque>

#include "protocol/media_frame.h"
#include "session/mutex.h"

namespace zm::session {

// What a channel does with a frame it drops (Clear, destruction): the control frees the
// task-allocator payload and record; tests count.
using FrameDropper = void (*)(MediaFrame* frame);

class FrameChannel {
 public:
  static constexpr size_t kCapacity = 1000;

  explicit FrameChannel(FrameDropper drop, size_t capacity = kCapacity);
  FrameChannel(const FrameChannel&) = delete;
  FrameChannel& operator=(const FrameChannel&) = delete;
  // Stops the channel, waits until every thread has left it, then drops what is left.
  ~FrameChannel();

  // Appends the frame, waiting while the channel is full. False when the channel is stopped,
  // or is cleared while this waits for space: the frame then stays with the caller.
  bool Push(MediaFrame* frame);
  // Appends the frame only if that needs no wait; false (the frame stays with the caller) when
  // the channel is full or stopped. The reader is not woken: call WakeReader once the caller's
  // own locks are released, or the woken reader runs into them and sleeps a second time.
  bool TryPush(MediaFrame* frame);
  // Wakes a reader waiting for a frame that TryPush appended.
  void WakeReader() { items_.notify_one(); }
  // Takes the oldest frame, waiting while there is none. False (and `out` null) when the
  // channel is stopped or aborted.
  bool Pop(MediaFrame*& out);
  // Drops every frame; producers waiting for space give up.
  void Clear();
  // Read without the lock: the media buffer asks for it several times for every frame.
  size_t Count() const { return count_.load(std::memory_order_acquire); }

  // Every wait returns and every later Push and Pop fails, for good (the session stops).
  void Stop();
  // While aborted, Pop fails at once and waiting readers are woken (the renderer path is torn
  // down); Resume ends it.
  void Abort();
  void Resume();

 private:
  // Counts the threads inside the channel so that destruction can wait for none.
  class Activity {
   public:
    explicit Activity(FrameChannel& channel) : channel_(channel) { ++channel_.inside_; }
    ~Activity() {
      if (--channel_.inside_ == 0) channel_.idle_.notify_all();
    }

   private:
    FrameChannel& channel_;
  };

  const FrameDropper drop_;
  const size_t capacity_;
  mutable Mutex lock_;
  ConditionVariable space_;
  ConditionVariable items_;
  ConditionVariable idle_;
  std::deque<MediaFrame*> frames_;
  std::atomic<size_t> count_{0};  // frames_.size(), written under the lock
  uint64_t clears_ = 0;           // producers waiting for space give up when this moves
  size_t inside_ = 0;
  bool stopped_ = false;
  bool aborted_ = false;
};

}  // namespace zm::session
