// Owner of one critical section, usable with std::lock_guard: initialised on construction,
// deleted on destruction, so no path leaves it entered or undeleted.
#pragma once

#include <windows.h>

namespace zm::com {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

}  // namespace zm::com
