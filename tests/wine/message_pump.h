// Serving the test thread's messages while the code under test works: windows the tests make
// on this thread, and the control's, only move when their messages are dispatched.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>

namespace zm::tests {

// Serves this thread's messages until `done` holds or `ms` have passed; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)), QS_ALLINPUT);
  }
}

inline void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace zm::tests
