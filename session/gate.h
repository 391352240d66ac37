// Gate: holds the renderer's readers while their stream rebuffers. A reader that has taken a
// frame waits while a gate is closed; Stop releases every waiter for good (the session stops).
// Any thread may call any method.
#pragma once

#include <atomic>
#include <cstdint>

#include "session/mutex.h"

namespace zm::session {

class Gate {
 public:
  void Open() { Set(true); }
  void Close() { Set(false); }
  // Read without the lock, as WaitOpen's first look is: a reader passes an open gate for every
  // frame it takes.
  bool IsOpen() const { return open_.load(std::memory_order_acquire); }
  // Waits while the gate is closed; false when it was stopped. Every opening releases the
  // readers waiting at that moment, even when the gate closes again before they run: otherwise a
  // reader could sleep through every short opening while the other stream keeps rebuffering.
  bool WaitOpen() {
    if (open_.load(std::memory_order_acquire)) return !stopped_.load(std::memory_order_acquire);
    std::unique_lock<Mutex> hold(lock_);
    const uint64_t openings = openings_;
    changed_.wait(hold, [&] { return open_ || stopped_ || openings_ != openings; });
    return !stopped_;
  }
  void Stop() {
    {
      std::lock_guard<Mutex> hold(lock_);
      stopped_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
  }

 private:
  void Set(bool open) {
    {
      std::lock_guard<Mutex> hold(lock_);
      open_.store(open, std::memory_order_release);
      if (open) ++openings_;
    }
    changed_.notify_all();
  }

  mutable Mutex lock_;
  ConditionVariable changed_;
  uint64_t openings_ = 0;
  // Written under the lock, so that a waiter cannot miss a change between its test and its sleep.
  std::atomic<bool> open_{true};  // gates start open
  std::atomic<bool> stopped_{false};
};

}  // namespace zm::session
