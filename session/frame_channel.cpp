#include "session/frame_channel.h"

namespace zm::session {

FrameChannel::FrameChannel(FrameDropper drop, size_t capacity) : drop_(drop), capacity_(capacity) {}

FrameChannel::~FrameChannel() {
  Stop();
  std::unique_lock<Mutex> hold(lock_);
  idle_.wait(hold, [this] { return inside_ == 0; });
  for (MediaFrame* frame : frames_) drop_(frame);
  frames_.clear();
  count_.store(0, std::memory_order_release);
}

bool FrameChannel::Push(MediaFrame* frame) {
  std::unique_lock<Mutex> hold(lock_);
  Activity activity(*this);
  const uint64_t clears = clears_;
  space_.wait(hold, [&] { return stopped_ || clears_ != clears || frames_.size() < capacity_; });
  if (stopped_ || clears_ != clears) return false;
  frames_.push_back(frame);
  count_.store(frames_.size(), std::memory_order_release);
  items_.notify_one();
  return true;
}

bool FrameChannel::TryPush(MediaFrame* frame) {
  std::lock_guard<Mutex> hold(lock_);
  if (stopped_ || frames_.size() >= capacity_) return false;
  frames_.push_back(frame);
  count_.store(frames_.size(), std::memory_order_release);
  return true;
}

bool FrameChannel::Pop(MediaFrame*& out) {
  out = nullptr;
  std::unique_lock<Mutex> hold(lock_);
  Activity activity(*this);
  items_.wait(hold, [this] { return stopped_ || aborted_ || !frames_.empty(); });
  if (stopped_ || aborted_) return false;
  out = frames_.front();
  frames_.pop_front();
  count_.store(frames_.size(), std::memory_order_release);
  space_.notify_one();
  return true;
}

void FrameChannel::Clear() {
  const FrameDropper drop = drop_;  // the channel may be gone once this thread has left it
  std::deque<MediaFrame*> dropped;
  {
    std::lock_guard<Mutex> hold(lock_);
    Activity activity(*this);
    dropped.swap(frames_);
    count_.store(0, std::memory_order_release);
    ++clears_;
  }
  space_.notify_all();
  // Outside the lock: freeing a payload never holds up the stream's other threads.
  for (MediaFrame* frame : dropped) drop(frame);
}

void FrameChannel::Stop() {
  {
    std::lock_guard<Mutex> hold(lock_);
    stopped_ = true;
  }
  space_.notify_all();
  items_.notify_all();
}

void FrameChannel::Abort() {
  {
    std::lock_guard<Mutex> hold(lock_);
    aborted_ = true;
  }
  items_.notify_all();
}

void FrameChannel::Resume() {
  std::lock_guard<Mutex> hold(lock_);
  aborted_ = false;
}

}  // namespace zm::session
