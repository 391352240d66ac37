// The receive watchdog: a peer that stops sending makes the pending read fail, through the
// timer's expiry closing the connection; a read that ends in time leaves the connection open.
#include <atomic>
#include <thread>

#include "com/unique_handle.h"

#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

constexpr int kShortTimeoutMs = 1000;
constexpr DWORD kHangGuardMs = 10000;

class WatchdogTest : public PeerTest {
 protected:
  // Runs a read that only the watchdog can end, and expects it to end in `text`. Should the
  // watchdog fail, another thread ends the read, so that the test fails instead of hanging.
  template <class Read>
  void ExpectWatchdogEnds(TestTcpSource& source, const wchar_t* text, Read&& read) {
    source.SetTimeoutMs(kShortTimeoutMs);
    com::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> guardFired{false};
    std::thread guard([&] {
      if (WaitForSingleObject(done.get(), kHangGuardMs) != WAIT_TIMEOUT) return;
      guardFired = true;
      std::wstring ignored;
      source.Disconnect(ignored);
    });
    std::wstring error;
    const BOOL ok = read(error);
    SetEvent(done.get());
    guard.join();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(guardFired) << "the watchdog did not end the read";
    EXPECT_EQ(error, text);
    EXPECT_FALSE(source.IsConnected());
  }
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
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error << " at frame " << i;
    SleepEx(kShortTimeoutMs / 2, TRUE);
  }
  // An alertable wait past the time-out lets a completion routine still pending run.
  SleepEx(3 * kShortTimeoutMs, TRUE);
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
  ASSERT_TRUE(source.ReadFrame(first.frame, error)) << error;
  Sleep(1400);
  // The timer armed for the first read expires 600 ms into this one, which has 2 s.
  std::thread late([&] {
    Sleep(1000);
    peer.Send(FrameBytes(protocol::kStreamTypeVideo, "second"));
  });
  FrameRecord second;
  EXPECT_TRUE(source.ReadFrame(second.frame, error)) << error;
  late.join();
  EXPECT_EQ(second.frame.length, 6u);
  source.Disconnect(error);
}

TEST_F(WatchdogTest, StalledServerEndsThePendingFrameRead) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#stall-after=2", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(reply.Read(source, error)) << error;
  for (int i = 0; i < 2; ++i) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error;
  }
  // The server keeps the connection open: only the watchdog can close it.
  FrameRecord stalled;
  ExpectWatchdogEnds(source, L"Error receiving data from Server",
                     [&](std::wstring& e) { return source.ReadFrame(stalled.frame, e); });
  EXPECT_EQ(stalled.frame.data, nullptr);
}

TEST_F(WatchdogTest, SilentPeerEndsTheReplyReadAsNotRespondingAndTheStringReadAsAReceiveError) {
  for (bool reply : {true, false}) {
    TestTcpSource source(0);
    ConnectToPeer(source);
    ReplyRecords records;
    std::wstring text;
    ExpectWatchdogEnds(source, reply ? L"Media Server doesn't respond" : L"Error receiving data from Server",
                       [&](std::wstring& e) { return reply ? records.Read(source, e) : source.ReadString(text, e); });
    EXPECT_TRUE(peer.IsClientOpen());  // the client closed, not the peer
    peer.Close();
  }
}

}  // namespace
}  // namespace zm::tests
