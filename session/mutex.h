// Mutex and ConditionVariable for the frame path's locks. On Windows they are the platform's
// slim reader/writer lock and condition variable, whose waits and wake-ups stay in the process:
// the C++ library's own are built there on semaphores, which cost a trip through the system
// (under Wine, through its server) for every frame handed to a waiting renderer thread.
// Elsewhere they are the standard library's, which ThreadSanitizer understands.
#pragma once

#include <condition_variable>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zm::session {

#ifdef _WIN32

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() {
    // Held for a few instructions at a time: a short spin first spares most contended takes
    // the sleep and wake-up that the platform's lock goes to at once.
    for (int spin = 0; spin < kSpins; ++spin) {
      if (TryAcquireSRWLockExclusive(&lock_)) return;
      YieldProcessor();
    }
    AcquireSRWLockExclusive(&lock_);
  }
  bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }

 private:
  friend class ConditionVariable;
  static constexpr int kSpins = 100;
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  void notify_one() { WakeConditionVariable(&condition_); }
  void notify_all() { WakeAllConditionVariable(&condition_); }
  // Waits until `done` holds, as std::condition_variable::wait does.
  template <class Predicate>
  void wait(std::unique_lock<Mutex>& hold, Predicate done) {
    while (!done()) SleepConditionVariableSRW(&condition_, &hold.mutex()->lock_, INFINITE, 0);
  }

 private:
  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

#else

using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;

#endif

}  // namespace zm::session
