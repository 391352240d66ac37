// StopSignal: a session's stop. Its manual-reset event wakes the waits that must return on a
// stop; the flag set beside it answers the checks made for every frame, each of which would
// otherwise be a wait on the event, a trip through the system (under Wine, through its server).
// Set is the only way to signal it, so the flag never lags behind the event.
#pragma once

#include <windows.h>

#include <atomic>

#include "com/unique_handle.h"

namespace zm::session {

class StopSignal {
 public:
  // A new, unsignalled stop for a session; false when its event cannot be made.
  bool Renew() {
    event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    set_.store(false, std::memory_order_release);
    return static_cast<bool>(event_);
  }
  // The session is over: the event is closed and nothing is signalled any more.
  void Close() {
    event_.reset();
    set_.store(false, std::memory_order_release);
  }
  HANDLE Event() const { return event_.get(); }

  // Once per session: the controller and the frame path both stop a bound session, and the
  // second would only signal the event again.
  void Set() {
    if (!event_ || set_.exchange(true, std::memory_order_acq_rel)) return;
    SetEvent(event_.get());
  }
  bool IsSet() const { return set_.load(std::memory_order_acquire); }

 private:
  com::UniqueHandle event_;
  std::atomic<bool> set_{false};
};

}  // namespace zm::session
