// The RTP multicast transport inside the network namespace of scripts/in-multicast-netns (so no
// datagram leaves the computer): the stream in order whatever else reaches its group, the end
// that the control connection signals, and a group that a server names badly or never.
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "transport/rtp_multicast_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

constexpr wchar_t kErrorReceiving[] = L"Error receiving data from Server";

using TestMulticastSource = Exposed<transport::CZRtpMulticastMediaFramesSource>;

class MulticastSourceTest : public PeerTest {
 protected:
  void SetUp() override {
    PeerTest::SetUp();
    // Elsewhere the group would go out to a real network.
    if (!std::getenv("ZM_IN_MULTICAST_NETNS")) GTEST_SKIP() << "runs inside scripts/in-multicast-netns only";
  }
  void TearDown() override {
    source.Disconnect(error);  // the server's session ends with its control connection
    PeerTest::TearDown();
  }
  // Connected to the reference server with the reply read.
  void Open(const std::string& alias) {
    ConnectToServer(source, "/ZAMS80/0000live-alias:" + alias, kProtocol80);
    ASSERT_TRUE(StartStreaming(source, error)) << error;
  }
  TestMulticastSource source{ServerPort()};
  std::wstring error;
};

TEST_F(MulticastSourceTest, ALiveStreamComesInOrderWhateverOtherSourcesAndSendersAddToItsGroup) {
  // Before each frame the server sends a datagram of another SSRC and, from another address, a
  // copy of the frame's first datagram that says stream type 0x5A; some datagrams go twice or late.
  Open("mjpeg#multicast-strays,udp-duplicate=20,udp-reorder=20");
  EXPECT_EQ("rtp-multicast:/ZAMS80/0000live-alias:mjpeg#multicast-strays,udp-duplicate=20,udp-reorder=20",
            source.Request());
  EXPECT_EQ((protocol::MulticastGroup{{239, 255, 90, 1}, source.Group().port}), source.Group());
  EXPECT_NE(0, source.Group().port);
  EXPECT_NE(0, source.SocketOption(SOL_SOCKET, SO_KEEPALIVE));
  int64_t last[3] = {-1, -1, -1};
  for (int frames = 0; frames < 120; ++frames) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << "after " << frames << " frames: " << error;
    ASSERT_TRUE(f.frame.streamType == protocol::kStreamTypeAudio || f.frame.streamType == protocol::kStreamTypeVideo)
        << "a stray was taken for the stream: type " << f.frame.streamType;
    EXPECT_GT(f.frame.time, last[f.frame.streamType]) << "stream " << f.frame.streamType << " went back in time";
    last[f.frame.streamType] = f.frame.time;
  }
  EXPECT_EQ(0, source.ReceptionFigures().lost);
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_FALSE(source.HasDatagramSocket());
}

TEST_F(MulticastSourceTest, AByteOnTheControlConnectionEndsTheStreamAtTheNextFiftiethRead) {
  Open("mjpeg#control-byte-after=75");
  int frames = 0;
  for (FrameRecord f; frames < 200 && source.ReadFrame(f.frame, error); ++frames) {
    CoTaskMemFree(std::exchange(f.frame.data, nullptr));
  }
  EXPECT_EQ(kErrorReceiving, error);
  EXPECT_EQ(49, frames % 50) << "the control connection is looked at before every 50th read";
  EXPECT_LT(frames, 75 + 50);
}

TEST_F(MulticastSourceTest, GroupPortZeroConnectsWithoutJoiningAndTheFirstReadEndsAtOnce) {
  Open("mjpeg#group-port-zero");
  EXPECT_EQ(0, source.Group().port);
  EXPECT_FALSE(source.HasDatagramSocket());
  FrameRecord f;
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_EQ(kErrorReceiving, error);
}

// A scripted server: the group it names, or its silence, decides Connect.
TEST_F(MulticastSourceTest, AGroupNeverNamedUnterminatedOrNotMulticastFailsConnectWithItsText) {
  for (const char* text : {"", "239.255.255.2555", "127.0.0.1", "239.1.2"}) {
    TestMulticastSource scripted(peer.Port());
    scripted.SetTimeoutMs(1500);
    scripted.SetHost("127.0.0.1");
    scripted.SetRequest("file:a", kProtocol25);
    const ULONGLONG start = GetTickCount64();
    std::thread serving([&] {
      ASSERT_TRUE(peer.Accept());
      EXPECT_EQ("rtp-multicast:file:a", peer.Receive(64, 300));
      std::vector<uint8_t> info(text, text + std::strlen(text));
      info.resize(protocol::kMulticastGroupTextBytes, 0);
      info.insert(info.end(), {0x8C, 0x13});
      if (*text) peer.Send(info);  // the first says nothing at all
    });
    EXPECT_FALSE(scripted.Connect(error)) << text;
    serving.join();
    EXPECT_EQ(kErrorReceiving, error) << text;
    EXPECT_LT(GetTickCount64() - start, 4000u) << text;
    EXPECT_FALSE(scripted.HasDatagramSocket());
    scripted.Disconnect(error);
    peer.Close();
  }
}

}  // namespace
}  // namespace zm::tests
