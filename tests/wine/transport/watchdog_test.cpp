// The receive watchdog: a peer that stops sending makes the pending read fail, through the
// timer's expiry closing the connection; a read that ends in time leaves the connection open.
#include <thread>

#include "transport/local_peer.h"
#include "transport/peer_replies.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

constexpr int kShortTimeoutMs = 1000;

class WatchdogTest : public TransportTest {
 protected:
  void ConnectToPeer(TestTcpSource& source) {
    source.SetHost("127.0.0.1");
    source.SetPort(peer.Port());
    source.SetRequest("r", kProtocol80);
    std::wstring error;
    ASSERT_TRUE(source.Connect(error)) << Narrow(error);
    ASSERT_TRUE(peer.Accept());
    peer.Receive(1);
  }
  LocalPeer peer;
};

TEST_F(WatchdogTest, QuickReadsKeepAStreamPastManyTimeOuts) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(kShortTimeoutMs);
  std::wstring error;
  // Each read ends in time; together they last longer than several time-outs.
  for (int i = 0; i < 6; ++i) {
    peer.Send(FrameBytes(protocol::kStreamTypeVideo, "f"));
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error) << " at frame " << i;
    SleepEx(kShortTimeoutMs / 2, TRUE);
  }
  EXPECT_TRUE(source.IsConnected());
  source.Disconnect(error);
}

TEST_F(WatchdogTest, WatchOfALaterReadRunsItsFullTime) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(2000);
  std::wstring error;
  peer.Send(FrameBytes(protocol::kStreamTypeVideo, "first"));
  FrameRecord first;
  ASSERT_TRUE(source.ReadFrame(first.frame, error)) << Narrow(error);
  Sleep(1400);
  // The timer armed for the first read expires 600 ms into this one, which has 2 s.
  std::thread late([&] {
    Sleep(1000);
    peer.Send(FrameBytes(protocol::kStreamTypeVideo, "second"));
  });
  FrameRecord second;
  EXPECT_TRUE(source.ReadFrame(second.frame, error)) << Narrow(error);
  late.join();
  EXPECT_EQ(second.frame.length, 6u);
  source.Disconnect(error);
}

TEST_F(WatchdogTest, TimeoutsAreTwentySecondsThenTwentyFiveWhenLong) {
  TestTcpSource source(0);
  EXPECT_EQ(source.TimeoutMs(), 20000);
  source.SetLongTimeout();
  EXPECT_EQ(source.TimeoutMs(), 25000);
}

TEST_F(WatchdogTest, StalledServerEndsThePendingFrameRead) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#stall-after=2", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  source.SetTimeoutMs(kShortTimeoutMs);
  for (int i = 0; i < 2; ++i) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
  }
  FrameRecord stalled;
  HangGuard guard(source, kHangGuardMs);
  EXPECT_FALSE(source.ReadFrame(stalled.frame, error));
  EXPECT_FALSE(guard.Fired()) << "the watchdog did not end the read";
  EXPECT_EQ(error, L"Error receiving data from Server");
  // The server keeps the connection open: only the watchdog can have closed it.
  EXPECT_FALSE(source.IsConnected());
  EXPECT_EQ(stalled.frame.data, nullptr);
}

TEST_F(WatchdogTest, SilentPeerEndsTheReplyReadAsNotResponding) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(kShortTimeoutMs);
  ReplyRecords reply;
  std::wstring error;
  HangGuard guard(source, kHangGuardMs);
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_FALSE(guard.Fired()) << "the watchdog did not end the read";
  EXPECT_EQ(error, L"Media Server doesn't respond");
  EXPECT_TRUE(peer.IsClientOpen());
  EXPECT_FALSE(source.IsConnected());
}

TEST_F(WatchdogTest, PeerStoppingInsideAPayloadEndsTheReadAndFreesIt) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(kShortTimeoutMs);
  auto bytes = FrameBytes(protocol::kStreamTypeVideo, std::string(1000, 'x'));
  bytes.resize(bytes.size() - 10);
  peer.Send(bytes);
  FrameRecord f;
  std::wstring error;
  HangGuard guard(source, kHangGuardMs);
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_FALSE(guard.Fired()) << "the watchdog did not end the read";
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(f.frame.data, nullptr);
  EXPECT_EQ(MallocSpy().Allocations(), 1);
}

TEST_F(WatchdogTest, SilentPeerEndsTheStringRead) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(kShortTimeoutMs);
  std::wstring error, text;
  HangGuard guard(source, kHangGuardMs);
  EXPECT_FALSE(source.ReadString(text, error));
  EXPECT_FALSE(guard.Fired()) << "the watchdog did not end the read";
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_FALSE(source.IsConnected());
}

TEST_F(WatchdogTest, ReadThatEndsInTimeLeavesTheConnectionOpen) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetTimeoutMs(kShortTimeoutMs);
  peer.Send(FrameBytes(protocol::kStreamTypeAudio, "abc"));
  FrameRecord f;
  std::wstring error;
  ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
  // An alertable wait past the time-out lets a completion routine still pending run.
  SleepEx(3 * kShortTimeoutMs, TRUE);
  EXPECT_TRUE(source.IsConnected());
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
