#include "transport/tick_clock64.h"

#include <mmsystem.h>

namespace zm::transport {

TickClock64::TickClock64(TickSource source) : m_source(source ? source : timeGetTime) {
  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof caps) == MMSYSERR_NOERROR) {
    m_nPeriodMin = caps.wPeriodMin;
    m_nPeriodMax = caps.wPeriodMax;
  }
  m_nLastTick = m_source();
}

uint64_t TickClock64::Now() {
  uint32_t wraps = m_nWrapCount.load();
  uint32_t tick = m_source();
  if (tick < m_nLastTick.load()) {
    LONG expected = 0;
    while (!m_nSpin.compare_exchange_weak(expected, 1)) {
      expected = 0;
      YieldProcessor();
    }
    // Another reader may have counted this wrap while we waited for the flag.
    tick = m_source();
    if (tick < m_nLastTick.load()) m_nWrapCount.fetch_add(1);
    m_nLastTick = tick;
    m_nSpin = 0;
  }
  if (m_nWrapCount.load() != wraps) {
    wraps = m_nWrapCount.load();
    tick = m_source();
  }
  m_nLastTick = tick;
  return (static_cast<uint64_t>(wraps) << 32) + tick;
}

}  // namespace zm::transport
