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

TEST_F(WatchdogTest, ReadsThatEndInTimeKeepTheConnectionPastManyTimeOuts) {
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

  // The timer armed for this first read expires 600 ms into the next one, which has 2 s.
  source.SetTimeoutMs(2000);
  peer.Send(FrameBytes(protocol::kStreamTypeVideo, "first"));
  FrameRecord first;
  ASSERT_TRUE(source.ReadFrame(first.frame, error)) << error;
  Sleep(1400);
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

// A stalled server mid-stream is also ended at the control (PlaybackTest) and over HTTPS and RTP.
TEST_F(WatchdogTest, SilentPeerEndsTheReplyReadAsNotRespondingAndOtherReadsAsAReceiveError) {
  const std::pair<const char*, const wchar_t*> cases[] = {{"reply", L"Media Server doesn't respond"},
                                                          {"string", L"Error receiving data from Server"},
                                                          {"frame", L"Error receiving data from Server"}};
  for (const auto& [read, text] : cases) {
    SCOPED_TRACE(read);
    TestTcpSource source(0);
    ConnectToPeer(source);
    ReplyRecords records;
    std::wstring string, error;
    FrameRecord first, stalled;
    const std::string kind = read;
    if (kind == "frame") {  // the peer keeps the connection open after a frame
      peer.Send(FrameBytes(protocol::kStreamTypeVideo, "f"));
      ASSERT_TRUE(source.ReadFrame(first.frame, error)) << error;
    }
    ExpectWatchdogEnds(source, text, [&](std::wstring& e) {
      return kind == "reply"    ? records.Read(source, e)
             : kind == "string" ? source.ReadString(string, e)
                                : source.ReadFrame(stalled.frame, e);
    });
    EXPECT_EQ(stalled.frame.data, nullptr);
    EXPECT_TRUE(peer.IsClientOpen());  // the client closed, not the peer
    peer.Close();
  }
}

}  // namespace
}  // namespace zm::tests
