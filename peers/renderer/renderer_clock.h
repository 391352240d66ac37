// RendererClock: the presentation clock the pullers pace frames by, in 100-ns units from the
// start of playback. It runs on the wall clock (the performance counter) and stands still
// while paused. Start, Pause and Reset: the control's window thread; Now: any thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "com/critical_section.h"

namespace zm::renderer {

class RendererClock {
 public:
  RendererClock();

  void Start();  // runs on from where it stood
  void Pause();  // stands still at the current time
  void Reset();  // stands still at 0

  // The current time; `running` (when given) tells whether it advances.
  int64_t Now(bool* running = nullptr) const;

 private:
  int64_t Elapsed() const;  // under lock_

  mutable com::CriticalSection lock_;
  int64_t frequency_ = 1;
  int64_t base_ = 0;          // time reached when the clock last stopped
  int64_t startCounter_ = 0;  // performance counter when it last started
  bool running_ = false;
};

}  // namespace zm::renderer
