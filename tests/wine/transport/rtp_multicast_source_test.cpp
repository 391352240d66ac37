// The RTP multicast transport against the reference server, inside the network namespace of
// scripts/in-multicast-netns (nothing runs elsewhere, so no datagram leaves the computer): the
// stream in order whatever else reaches its group, the end that the control connection
// signals, and the group a server may name badly or never.
#include <cstdlib>
#include <thread>

#include "transport/rtp_multicast_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using transport::CZRtpMulticastMediaFramesSource;

constexpr wchar_t kErrorReceiving[] = L"Error receiving data from Server";

class TestMulticastSource : public CZRtpMulticastMediaFramesSource {
 public:
  using CZRtpMulticastMediaFramesSource::CZRtpMulticastMediaFramesSource;
  void SetTimeoutMs(int ms) { m_nTimeoutMs = ms; }
  bool KeepsAlive() const {
    int value = 0;
    int size = sizeof value;
    getsockopt(m_socket.load(), SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<char*>(&value), &size);
    return value != 0;
  }
};

class MulticastSourceTest : public PeerTest {
 protected:
  void SetUp() override {
    PeerTest::SetUp();
    // Elsewhere the group would go out to a real network.
    if (!std::getenv("ZM_IN_MULTICAST_NETNS")) GTEST_SKIP() << "runs inside scripts/in-multicast-netns only";
  }
  // Connected to the reference server, the reply read.
  void Open(TestMulticastSource& source, const std::string& alias) {
    ConnectToServer(source, "/ZAMS80/0000live-alias:" + alias, kProtocol80);
    ReplyRecords reply;
    std::wstring error;
    ASSERT_TRUE(reply.Read(source, error)) << error;
    source.OnStreamingStarted();
  }
};

TEST_F(MulticastSourceTest, ALiveStreamComesInOrderFromItsGroupWhateverOtherSourcesAndSendersAdd) {
  // Before each frame the server sends a datagram of another SSRC and, from another address, a
  // copy of the frame's first datagram that says stream type 0x5A; datagrams are also doubled
  // and reordered.
  TestMulticastSource source(ServerPort());
  Open(source, "mjpeg#multicast-strays,udp-duplicate=20,udp-reorder=20");
  EXPECT_EQ("rtp-multicast:/ZAMS80/0000live-alias:mjpeg#multicast-strays,udp-duplicate=20,udp-reorder=20",
            source.Request());
  EXPECT_EQ((protocol::MulticastGroup{{239, 255, 90, 1}, source.Group().port}), source.Group());
  EXPECT_NE(0, source.Group().port);
  EXPECT_TRUE(source.KeepsAlive());
  int64_t last[3] = {-1, -1, -1};
  std::wstring error;
  for (int frames = 0; frames < 120; ++frames) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << "after " << frames << " frames: " << error;
    if (frames == 0) {
      EXPECT_EQ(protocol::kStreamTypeVideo, f.frame.streamType) << "the start is a video key frame";
    }
    ASSERT_TRUE(f.frame.streamType == protocol::kStreamTypeAudio || f.frame.streamType == protocol::kStreamTypeVideo)
        << "a stray was taken for the stream: type " << f.frame.streamType;
    EXPECT_GT(f.frame.time, last[f.frame.streamType]) << "stream " << f.frame.streamType << " went back in time";
    last[f.frame.streamType] = f.frame.time;
  }
  EXPECT_EQ(0, source.ReceptionFigures().lost);
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_FALSE(source.HasDatagramSocket());
}

TEST_F(MulticastSourceTest, AByteTheServerWritesOnTheControlConnectionEndsTheStreamAtTheNextFiftiethRead) {
  TestMulticastSource source(ServerPort());
  Open(source, "mjpeg#control-byte-after=75");
  std::wstring error;
  int frames = 0;
  for (FrameRecord f; frames < 200 && source.ReadFrame(f.frame, error); ++frames) {
    CoTaskMemFree(f.frame.data);
    f.frame.data = nullptr;
  }
  EXPECT_EQ(kErrorReceiving, error);
  EXPECT_EQ(protocol::SourceFailure::ErrorReceiving, source.LastFailure());
  EXPECT_EQ(49, frames % 50) << "the control connection is looked at every 50th read, before reading";
  EXPECT_LT(frames, 75 + 50);
  source.Disconnect(error);
}

TEST_F(MulticastSourceTest, GroupPortZeroConnectsWithoutJoiningAndTheFirstReadEndsAtOnce) {
  TestMulticastSource source(ServerPort());
  Open(source, "mjpeg#group-port-zero");
  EXPECT_EQ(0, source.Group().port);
  EXPECT_FALSE(source.HasDatagramSocket());
  FrameRecord f;
  std::wstring error;
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_EQ(kErrorReceiving, error);
  EXPECT_EQ(nullptr, f.frame.data);
  source.Disconnect(error);
}

TEST_F(MulticastSourceTest, AStreamWhoseSsrcChangesIsDroppedUntilItsWatchEnds) {
  TestMulticastSource source(ServerPort());
  source.SetTimeoutMs(3000);  // 1 s for the datagram reads
  Open(source, "mjpeg#ssrc-change=20");
  std::wstring error;
  int frames = 0;
  for (FrameRecord f; frames < 200 && source.ReadFrame(f.frame, error); ++frames) {
    CoTaskMemFree(f.frame.data);
    f.frame.data = nullptr;
  }
  EXPECT_EQ(kErrorReceiving, error) << "another source's datagrams end nothing by themselves";
  EXPECT_LE(frames, 20);
  source.Disconnect(error);
}

// A scripted server: the group it names, or the silence, decides Connect.
TEST_F(MulticastSourceTest, AGroupNeverNamedUnterminatedOrNotMulticastFailsConnectWithItsText) {
  const struct {
    std::string text;
    bool send;
  } cases[] = {{"", false}, {"239.255.255.2555", true}, {"127.0.0.1", true}, {"239.1.2", true}};
  for (const auto& c : cases) {
    TestMulticastSource source(peer.Port());
    source.SetTimeoutMs(1500);
    source.SetHost("127.0.0.1");
    source.SetRequest("file:a", kProtocol25);
    std::wstring error;
    const ULONGLONG start = GetTickCount64();
    std::thread serving([&] {
      ASSERT_TRUE(peer.Accept());
      EXPECT_EQ("rtp-multicast:file:a", peer.Receive(64, 300));
      if (!c.send) return;
      std::vector<uint8_t> info(c.text.begin(), c.text.end());
      info.resize(protocol::kMulticastGroupTextBytes, 0);
      info.insert(info.end(), {0x8C, 0x13});
      peer.Send(info);
    });
    EXPECT_FALSE(source.Connect(error)) << c.text;
    serving.join();
    EXPECT_EQ(kErrorReceiving, error) << c.text;
    EXPECT_LT(GetTickCount64() - start, 4000u) << c.text;
    EXPECT_FALSE(source.HasDatagramSocket());
    source.Disconnect(error);
    peer.Close();
  }
}

}  // namespace
}  // namespace zm::tests
