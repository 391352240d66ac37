// A live source over RTP multicast as a host plays it, inside the network namespace of
// scripts/in-multicast-netns: it plays in order through other sources' datagrams until stopped.
// (How a byte on the control connection ends it is MulticastSourceTest's.)
#include <cstdlib>

#include "playback_fixture.h"

namespace zm::tests {
namespace {

TEST_F(PlaybackTest, MulticastALiveSourcePlaysInOrderThroughOtherSourcesDatagramsUntilStopped) {
  // Elsewhere the group would go out to a real network.
  if (!std::getenv("ZM_IN_MULTICAST_NETNS")) GTEST_SKIP() << "runs inside scripts/in-multicast-netns only";
  ASSERT_EQ(player->UseRTPMulticast(), S_OK);
  ASSERT_TRUE(PlayLiveUntilStarted(L"mjpeg#multicast-strays", 20000));
  player->ViewProperties();
  EXPECT_EQ(ItemText(FindWindowW(L"#32770", L"Properties"), 221), L"RTP (UDP) Multicast");
  Pump(3000);
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  const renderer::RendererCounts counts = RendererCountsOf();
  EXPECT_GE(counts.framesDrawn, 30u);
  EXPECT_TRUE(counts.drawnInOrder);
}

}  // namespace
}  // namespace zm::tests
