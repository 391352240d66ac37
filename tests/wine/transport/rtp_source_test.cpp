// The RTP unicast transport: the UDP meeting and the request that names its id, the probe and
// the redundancy command as a scripted peer sees them, the bounded wait for a key frame, a
// stored file from the reference server read whole and in order through dropped, doubled and
// reordered datagrams with exactly the server's drops counted as lost, the adaptive level
// rising under loss, and a silent server ended by the watchdog. A changed SSRC is proven
// through the control.
#include <atomic>
#include <cstdio>
#include <regex>
#include <thread>

#include "protocol/rtp_packet.h"
#include "transport/rtp_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using transport::CZRtpMediaFramesSource;

using TestRtpSource = Exposed<CZRtpMediaFramesSource>;

// A UDP socket of the test on 127.0.0.1, with a receive time-out.
struct Datagrams {
  explicit Datagrams(uint16_t port = 0) : s(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address = At(port);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    DWORD wait = 1500;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
  }
  ~Datagrams() { closesocket(s); }
  static sockaddr_in At(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return address;
  }
  template <class Bytes>
  void SendTo(const sockaddr_in& to, const Bytes& b) {
    sendto(s, reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  std::string Receive(sockaddr_in* from = nullptr) {
    char buffer[512];
    sockaddr_in sender{};
    int size = sizeof sender;
    const int n = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &size);
    if (from) *from = sender;
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }
  SOCKET s;
};

// Connects `source` through a scripted meeting that answers with the peer's TCP port (so no
// probe follows) and a peer that accepts; returns the client's datagram address.
sockaddr_in Meet(TestRtpSource& source, Datagrams& meeting, LocalPeer& peer) {
  std::wstring error = L"stale";
  std::thread connecting([&] { EXPECT_TRUE(source.Connect(error)); });
  sockaddr_in client{};
  EXPECT_EQ(source.UdpId(), meeting.Receive(&client));
  meeting.SendTo(client, std::to_string(peer.Port()));
  EXPECT_TRUE(peer.Accept());
  connecting.join();
  EXPECT_EQ(L"", error);
  return client;
}

class RtpSourceTest : public PeerTest {
 protected:
  // What the reference server did to the datagrams of this source's session.
  static std::string ServerTally(const TestRtpSource& source) {
    Datagrams query;
    query.SendTo(Datagrams::At(ServerPort()), "ZmsUdpTally:" + source.UdpId());
    return query.Receive();
  }
};

// (Wine sends from 127.0.0.1 whatever loopback address a socket is bound to, so a datagram
// from another host cannot be made here.)
TEST_F(RtpSourceTest, MeetsOverUdpThenAsksOverTcpWithoutAProbeWhenTheMediaShareItsPort) {
  Datagrams meeting(peer.Port());
  TestRtpSource source(peer.Port());
  source.ApplyUdpLossMode(2);
  source.SetHost("127.0.0.1");
  source.SetRequest("/ZAMS80/0000file:a", kProtocol80);
  EXPECT_TRUE(std::regex_match(source.UdpId(), std::regex("\\{[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\\}")));
  EXPECT_EQ("rtp-unicast:" + source.UdpId() + "/ZAMS80/0000file:a", source.Request());
  const sockaddr_in client = Meet(source, meeting, peer);
  std::wstring error;
  EXPECT_EQ(source.Request(), peer.Receive(source.Request().size() + 1, 300));
  EXPECT_EQ("", meeting.Receive()) << "a probe went to the port that answered";

  peer.Send(VideoOnlyReply(80));
  ASSERT_TRUE(StartStreaming(source, error)) << error;
  EXPECT_EQ("QC_RedundancyFull", peer.Receive(64, 300)) << "loss mode 2 asks once for full redundancy";

  protocol::MediaFrame key;
  key.header.streamType = protocol::kStreamTypeVideo;
  key.header.keyFrame = 1;
  key.payload.assign(2000, 0x77);
  const auto datagrams = protocol::PacketiseFrame(key, {9, 100, 0x5EED, false});
  meeting.SendTo(client, std::string(protocol::kRtpMaxDatagramBytes + 100, 'x'));  // too long: dropped
  for (const auto& d : datagrams) meeting.SendTo(client, d);
  FrameRecord frame;
  ASSERT_TRUE(source.ReadFrame(frame.frame, error)) << error;
  EXPECT_EQ(2000u, frame.frame.length);
  EXPECT_EQ(0x77, frame.frame.data[1999]);
  EXPECT_EQ(0, source.ReceptionFigures().lost);
  EXPECT_EQ(2u, source.ReceptionFigures().received);
  source.Disconnect(error);
}

// Datagrams that never bring a key frame end the wait for one within the read's watch.
TEST_F(RtpSourceTest, AStreamWithoutAKeyFrameEndsTheWaitWithItsText) {
  Datagrams meeting(peer.Port());
  TestRtpSource source(peer.Port());
  source.SetTimeoutMs(2600);  // 600 ms for the datagram reads
  source.SetHost("127.0.0.1");
  source.SetRequest("/ZAMS80/0000live-alias:a", kProtocol80);
  const sockaddr_in client = Meet(source, meeting, peer);
  peer.Send(VideoOnlyReply(80));
  std::wstring error;
  ASSERT_TRUE(StartStreaming(source, error)) << error;

  std::atomic<bool> sending{true};
  std::thread sender([&] {
    protocol::MediaFrame delta;
    delta.header.streamType = protocol::kStreamTypeVideo;
    delta.payload.assign(100, 0x11);
    for (uint16_t n = 0; sending; Sleep(50), ++n) {
      for (const auto& d : protocol::PacketiseFrame(delta, {n, n * 100u, 0x5EED, false})) meeting.SendTo(client, d);
    }
  });
  const DWORD start = GetTickCount();
  FrameRecord frame;
  EXPECT_FALSE(source.ReadFrame(frame.frame, error));
  EXPECT_LT(GetTickCount() - start, 2000u);
  sending = false;
  sender.join();
  EXPECT_EQ(L"Unable to read RTP data", error);
  source.Disconnect(error);
}

TEST_F(RtpSourceTest, AMeetingAnswerThatIsNoPortOrNoneFailsWithTheNoUdpResponseText) {
  for (const char* answer : {"0", "65536", "-80", "port", "", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(answer ? answer : "no answer");
    Datagrams meeting(peer.Port());
    TestRtpSource source(peer.Port());
    source.SetTimeoutMs(2600);  // 600 ms for the datagram reads
    source.SetHost("127.0.0.1");
    source.SetRequest("file:a", answer ? kProtocol80 : kProtocol25);
    std::wstring error;
    std::thread connecting([&] { EXPECT_FALSE(source.Connect(error)); });
    sockaddr_in client{};
    EXPECT_EQ(source.UdpId(), meeting.Receive(&client));
    if (answer) meeting.SendTo(client, std::string(answer));
    connecting.join();
    EXPECT_EQ(L"No UDP response from Media Server. UDP is supported by Zavren Media Server v8.0 and higher.", error);
    EXPECT_EQ(protocol::SourceFailure::NoUdpResponse, source.LastFailure());
    source.Disconnect(error);
  }
}

TEST_F(RtpSourceTest, AServerThatGoesSilentIsEndedByTheWatchdog) {
  TestRtpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:mjpeg#stall-after=10", kProtocol80);
  source.SetTimeoutMs(2600);  // 600 ms for the datagram reads
  std::wstring error;
  ASSERT_TRUE(StartStreaming(source, error)) << error;
  int frames = 0;
  DWORD lastFrame = GetTickCount();
  for (; frames < 100; ++frames) {
    FrameRecord f;
    if (!source.ReadFrame(f.frame, error)) break;
    lastFrame = GetTickCount();
  }
  EXPECT_EQ(frames, 10);  // the video key frame starts delivery: every frame the server sent
  EXPECT_EQ(L"Error receiving data from Server", error);
  EXPECT_LT(GetTickCount() - lastFrame, 2000u);
  source.Disconnect(error);
}

// 2 % loss in the first measuring period raises the level to half: the server sends copies,
// and the source counts the packets they brought back.
TEST_F(RtpSourceTest, AdaptiveRedundancyRisesToHalfUnderTwoPercentLoss) {
  TestRtpSource source(ServerPort());
  source.ApplyUdpLossMode(1);
  ConnectToServer(source, "/ZAMS80/0000live-alias:mjpeg#udp-drop=20,udp-seed=3", kProtocol80);
  std::wstring error;
  ASSERT_TRUE(StartStreaming(source, error)) << error;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < CZRtpMediaFramesSource::kLossTimerFirstMs + 3000) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error;
  }
  const std::string tally = ServerTally(source);
  unsigned copies = 0;
  ASSERT_EQ(1, std::sscanf(tally.c_str() + tally.find("copies="), "copies=%u", &copies)) << tally;
  EXPECT_GT(copies, 0u) << tally;
  EXPECT_GT(source.ReceptionFigures().recovered, 0u);
  source.Disconnect(error);
}

TEST_F(RtpSourceTest, AFileArrivesInOrderThroughSpoiledDatagramsAndTheLossIsTheServersDrops) {
  TestRtpSource source(ServerPort());
  source.ApplyUdpLossMode(0);
  ConnectToServer(source,
                  "/ZAMS80/0000file:testlist\\alpha.zmf#udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-pace=50",
                  kProtocol80);
  std::wstring error;
  ASSERT_TRUE(StartStreaming(source, error)) << error;
  int64_t last[3] = {-1, -1, -1};
  for (int ends = 0, frames = 0; ends < 2; ++frames) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << "the stream never ended: " << error;
    if (frames == 0) {
      EXPECT_EQ(protocol::kStreamTypeVideo, f.frame.streamType) << "the start is a video key frame";
    }
    ends += f.frame.length == 0;
    if (f.frame.length == 0) continue;
    EXPECT_GE(f.frame.time, last[f.frame.streamType]) << "stream " << f.frame.streamType << " went back in time";
    last[f.frame.streamType] = f.frame.time;
  }
  const std::string tally = ServerTally(source);
  const int64_t lost = source.ReceptionFigures().lost;
  EXPECT_GT(lost, 0);
  EXPECT_NE(std::string::npos, tally.find(" dropped=" + std::to_string(lost) + " ")) << tally;
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
