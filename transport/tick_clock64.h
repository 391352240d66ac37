// A 64-bit millisecond clock over timeGetTime that counts the 49.7-day wraps itself.
// Any thread may read it; the wrap is counted once under a spin flag.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace zm::transport {

class TickClock64 {
 public:
  using TickSource = DWORD(WINAPI*)();

  // The source is timeGetTime; tests give their own to cross a wrap.
  explicit TickClock64(TickSource source = nullptr);

  uint64_t Now();

  UINT PeriodMin() const { return m_nPeriodMin; }
  UINT PeriodMax() const { return m_nPeriodMax; }

 private:
  TickSource m_source;
  UINT m_nPeriodMin = 1;
  UINT m_nPeriodMax = 1000;
  std::atomic<uint32_t> m_nLastTick{0};
  std::atomic<uint32_t> m_nWrapCount{0};
  std::atomic<LONG> m_nSpin{0};
};

}  // namespace zm::transport
