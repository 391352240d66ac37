// TickClock64: milliseconds from timeGetTime, carried past its 32-bit wrap.
#include <windows.h>

#include <atomic>

#include <gtest/gtest.h>

#include "transport/tick_clock64.h"

namespace zm::tests {
namespace {

std::atomic<DWORD> g_fakeTick{0};
DWORD WINAPI FakeTick() { return g_fakeTick.load(); }

TEST(TickClock64Test, CountsOnePastEachWrapOfTheTick) {
  g_fakeTick = 0xFFFFFF00u;
  transport::TickClock64 clock(FakeTick);
  EXPECT_EQ(clock.Now(), 0xFFFFFF00ull);
  g_fakeTick = 0x10;
  EXPECT_EQ(clock.Now(), 0x100000010ull);
  g_fakeTick = 0x20;
  EXPECT_EQ(clock.Now(), 0x100000020ull);
  g_fakeTick = 0xFFFFFFF0u;
  EXPECT_EQ(clock.Now(), 0x1FFFFFFF0ull);
  g_fakeTick = 0x5;
  EXPECT_EQ(clock.Now(), 0x200000005ull);
}

}  // namespace
}  // namespace zm::tests
