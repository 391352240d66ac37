// A live source over RTP multicast as a host plays it, inside the network namespace of
// scripts/in-multicast-netns: it plays in order through other sources' datagrams until stopped,
// and a byte the server writes on the control connection ends it with its text.
#include <cstdlib>

#include "playback_fixture.h"

namespace zm::tests {
namespace {

class MulticastPlaybackTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    // Elsewhere the group would go out to a real network.
    if (!std::getenv("ZM_IN_MULTICAST_NETNS")) GTEST_SKIP() << "runs inside scripts/in-multicast-netns only";
  }
};

TEST_F(MulticastPlaybackTest, ALiveSourcePlaysUntilStoppedAndEndsWhenTheServerWritesOnTheControlConnection) {
  ASSERT_EQ(player->UseRTPMulticast(), S_OK);
  player->UseLiveAlias(Text(L"mjpeg#multicast-strays"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 20000));
  player->ViewProperties();
  wchar_t transport[32] = {};
  GetDlgItemTextW(FindWindowW(L"#32770", L"Properties"), 221, transport, 32);
  EXPECT_STREQ(transport, L"RTP (UDP) Multicast");
  Pump(3000);
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  const renderer::RendererCounts counts = RendererCountsOf();
  EXPECT_GE(counts.framesDrawn, 30u);
  EXPECT_TRUE(counts.drawnInOrder);

  Events().clear();
  player->UseLiveAlias(Text(L"mjpeg#control-byte-after=200"));  // 4 s in, after the pre-roll
  const BoxSeen box = PlayReadingTheBox(30000);
  ASSERT_TRUE(box.stopped);
  EXPECT_EQ(box.caption, L"Error");
  EXPECT_EQ(box.text, L"Error receiving data from Server.\nFinishing playing from the local buffer.");
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
}

}  // namespace
}  // namespace zm::tests
