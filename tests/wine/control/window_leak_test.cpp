// Embedding, activating, resizing, deactivating and removing the control many times leaves
// no window, GDI object or handle behind.
#include <cstdio>

#include "hosted_control.h"
#include "peers/host/host_window.h"
#include "resource_counters.h"

namespace zm::tests {
namespace {

// One life of a control in a host window, with the sizes a host puts it through.
void OneCycle(int n) {
  HostedControl hosted(320, 240);
  ASSERT_TRUE(hosted.created);
  ASSERT_EQ(hosted.Control().Activate(n % 2 ? OLEIVERB_UIACTIVATE : OLEIVERB_INPLACEACTIVATE), S_OK);
  host::CEmbeddedControl& control = hosted.Control();
  control.Resize(RECT{0, 0, 0, 0});
  control.Resize(RECT{0, 0, 640, 200});
  control.Resize(RECT{0, 0, 100, 400});
  if (n % 3 == 0) hosted.Player()->EnableFlowControl(VARIANT_TRUE, VARIANT_TRUE);
  host::PumpPendingMessages();
  ASSERT_EQ(control.Deactivate(), S_OK);
  ASSERT_EQ(control.Activate(), S_OK);
  control.Resize(RECT{0, 0, 1, 1});
  host::PumpPendingMessages();
}

TEST(WindowLeakTest, TwoHundredEmbeddingCyclesLeaveNothingBehind) {
  for (int n = 0; n < 6; ++n) OneCycle(n);  // first-use caches (classes, fonts, picture decoder)
  host::PumpPendingMessages();
  ResourceCounts before = CountResources();
  ASSERT_GT(before.gdiObjects, 0u);
  ASSERT_GT(before.handles, 0u);
  constexpr int kCycles = 200;
  for (int n = 0; n < kCycles; ++n) {
    OneCycle(n);
    if (HasFatalFailure()) return;
  }
  host::PumpPendingMessages();
  ResourceCounts after = CountResources();
  std::printf("after %d cycles: windows %zu -> %zu, GDI objects %zu -> %zu, handles %zu -> %zu\n", kCycles,
              before.windows, after.windows, before.gdiObjects, after.gdiObjects, before.handles, after.handles);
  EXPECT_EQ(after.windows, before.windows);
  // The system makes a few objects of its own on the way (cached device contexts, fonts); a
  // leak in the cycle would grow by one or more per cycle, two hundred at least.
  constexpr size_t kSystemSlack = 8;
  EXPECT_LE(after.gdiObjects, before.gdiObjects + kSystemSlack);
  EXPECT_LE(after.handles, before.handles + kSystemSlack);
}

}  // namespace
}  // namespace zm::tests
