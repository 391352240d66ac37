// PullerWake: where the renderer's pullers sleep until their frame is due. The sleep stays in
// the process (the platform's condition variable); a timed wait on an event would be a trip
// through the system (under Wine, through its server) for every frame. Whatever moves the clock
// or stops the pullers wakes every sleeper, so a sleep can last until the frame is due.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace zm::renderer {

class PullerWake {
 public:
  // Taken before a sleeper reads the clock: a wake-up after it cuts the sleep short even when it
  // comes before the sleep begins.
  uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }
  // Sleeps up to `ms`, unless `stop` is set or a wake-up came since `seen`. True when `stop` is set.
  bool Sleep(const std::atomic<bool>& stop, uint64_t seen, DWORD ms) {
    AcquireSRWLockExclusive(&lock_);
    if (!stop.load() && generation_.load(std::memory_order_relaxed) == seen)
      SleepConditionVariableSRW(&woken_, &lock_, ms, 0);
    ReleaseSRWLockExclusive(&lock_);
    return stop.load();
  }
  // Every sleeper wakes and sees what the caller changed before.
  void WakeAll() {
    AcquireSRWLockExclusive(&lock_);
    generation_.fetch_add(1, std::memory_order_release);
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&woken_);
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE woken_ = CONDITION_VARIABLE_INIT;
  std::atomic<uint64_t> generation_{0};
};

// What a puller's waits end on: the stop flag with the wake for sleeps that stay in the
// process, and the stop event for the waits that need a handle (the sound device's).
struct PullerStop {
  HANDLE event;
  const std::atomic<bool>& stopping;
  PullerWake& wake;

  bool Stopped() const { return stopping.load(); }
  // Sleeps up to `ms`; true when stopped.
  bool Sleep(DWORD ms) const { return wake.Sleep(stopping, wake.Generation(), ms); }
};

}  // namespace zm::renderer
