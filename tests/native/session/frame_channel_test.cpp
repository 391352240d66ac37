// The frame channel and the gate between the grabber thread and the renderer's readers: order,
// blocking at capacity, clearing, stopping and aborting wake every waiter, and under many
// threads no frame is lost, handed out twice or leaked. Also run under ThreadSanitizer.
#include "session/frame_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "session/gate.h"

namespace zm::session {
namespace {

std::atomic<int> dropped{0};
void Drop(MediaFrame* frame) {
  ++dropped;
  delete frame;
}

MediaFrame* Frame(uint16_t index) {
  auto* frame = new MediaFrame{};
  frame->itemIndex = index;
  return frame;
}

// Runs `body` on a thread and reports whether it is still blocked after a short while.
class Blocked {
 public:
  template <class Body>
  explicit Blocked(Body body)
      : thread_([this, body] {
          result_ = body();
          done_ = true;
        }) {}
  ~Blocked() { thread_.join(); }
  bool StillWaiting() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !done_;
  }
  bool Finish() {
    thread_.join();
    thread_ = std::thread([] {});
    return result_;
  }

 private:
  std::atomic<bool> done_{false};
  bool result_ = false;
  std::thread thread_;
};

TEST(FrameChannelTest, HandsTheSameRecordsOutOldestFirstAndWaitsAtCapacityForSpace) {
  dropped = 0;
  MediaFrame* a = Frame(1);
  MediaFrame* b = Frame(2);
  MediaFrame* c = Frame(3);
  {
    FrameChannel channel(Drop, 2);
    ASSERT_TRUE(channel.Push(a));
    ASSERT_TRUE(channel.Push(b));
    EXPECT_EQ(channel.Count(), 2u);
    Blocked producer([&] { return channel.Push(c); });
    EXPECT_TRUE(producer.StillWaiting()) << "a full channel takes no third frame";
    MediaFrame* out = nullptr;
    ASSERT_TRUE(channel.Pop(out));
    EXPECT_EQ(out, a);  // not a copy
    EXPECT_TRUE(producer.Finish());
    for (MediaFrame* expected : {b, c}) {
      ASSERT_TRUE(channel.Pop(out));
      EXPECT_EQ(out, expected);
    }
    delete a;
    delete b;
    delete c;
  }
  EXPECT_EQ(dropped, 0);
}

TEST(FrameChannelTest, ClearDropsEveryFrameAndAProducerWaitingForSpaceGivesItsFrameBack) {
  dropped = 0;
  FrameChannel channel(Drop, 2);
  ASSERT_TRUE(channel.Push(Frame(1)));
  ASSERT_TRUE(channel.Push(Frame(2)));
  MediaFrame* late = Frame(3);
  Blocked producer([&] { return channel.Push(late); });
  ASSERT_TRUE(producer.StillWaiting());
  channel.Clear();
  EXPECT_FALSE(producer.Finish()) << "the frame stays with the caller";
  EXPECT_EQ(dropped, 2);
  EXPECT_EQ(channel.Count(), 0u);
  delete late;
  // The channel goes on working after a clear.
  ASSERT_TRUE(channel.Push(Frame(4)));
  MediaFrame* out = nullptr;
  ASSERT_TRUE(channel.Pop(out));
  EXPECT_EQ(out->itemIndex, 4);
  delete out;
}

TEST(FrameChannelTest, AbortWakesAWaitingReaderUntilResumeAndStopEndsEveryWaitForGood) {
  dropped = 0;
  {
    FrameChannel channel(Drop);
    MediaFrame* out = reinterpret_cast<MediaFrame*>(1);
    Blocked reader([&] { return channel.Pop(out); });
    ASSERT_TRUE(reader.StillWaiting());
    channel.Abort();
    EXPECT_FALSE(reader.Finish());
    EXPECT_EQ(out, nullptr);
    ASSERT_TRUE(channel.Push(Frame(1)));
    EXPECT_FALSE(channel.Pop(out)) << "aborted: no frame handed out";
    channel.Resume();
    ASSERT_TRUE(channel.Pop(out));
    delete out;

    Blocked second([&] { return channel.Pop(out); });
    ASSERT_TRUE(second.StillWaiting());
    channel.Stop();
    EXPECT_FALSE(second.Finish());
    MediaFrame* refused = Frame(2);
    EXPECT_FALSE(channel.Push(refused));
    delete refused;
  }
  EXPECT_EQ(dropped, 0);
}

TEST(FrameChannelTest, DestructionReleasesBlockedThreadsWaitsForThemAndDropsWhatIsLeft) {
  dropped = 0;
  auto* channel = new FrameChannel(Drop, 1);
  ASSERT_TRUE(channel->Push(Frame(1)));
  MediaFrame* extra = Frame(2);
  std::atomic<bool> pushed{true};
  std::thread producer([&] { pushed = channel->Push(extra); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  delete channel;  // stops the channel, then waits for the producer to leave
  producer.join();
  EXPECT_FALSE(pushed);
  EXPECT_EQ(dropped, 1);
  delete extra;
}

TEST(GateTest, ReadersWaitWhileClosedAndStopReleasesThem) {
  Gate gate;
  EXPECT_TRUE(gate.IsOpen());
  EXPECT_TRUE(gate.WaitOpen());
  gate.Close();
  Blocked reader([&] { return gate.WaitOpen(); });
  ASSERT_TRUE(reader.StillWaiting());
  gate.Open();
  EXPECT_TRUE(reader.Finish());
  gate.Close();
  Blocked stopped([&] { return gate.WaitOpen(); });
  ASSERT_TRUE(stopped.StillWaiting());
  gate.Stop();
  EXPECT_FALSE(stopped.Finish());
}

// Three producers (the grabber and two end-marker pushers) and one reader per channel, with
// clears, aborts and a final stop racing them: every frame ends exactly once, taken by the
// reader, dropped by the channel, or handed back to its producer.
TEST(FrameChannelTest, UnderManyThreadsEveryFrameEndsExactlyOnce) {
  for (int round = 0; round < 20; ++round) {
    dropped = 0;
    std::atomic<int> taken{0}, refused{0};
    std::atomic<bool> stopping{false};
    {
      FrameChannel channel(Drop, 8);
      std::vector<std::thread> threads;
      for (int p = 0; p < 3; ++p) {
        threads.emplace_back([&, p] {
          for (uint16_t i = 0; i < 300; ++i) {
            MediaFrame* frame = Frame(static_cast<uint16_t>(p * 1000 + i));
            if (!channel.Push(frame)) {
              ++refused;
              delete frame;
            }
          }
        });
      }
      threads.emplace_back([&] {
        for (MediaFrame* out = nullptr; !stopping;) {
          if (channel.Pop(out)) {
            ++taken;
            delete out;
          }
        }
      });
      std::mt19937 random(static_cast<unsigned>(round));
      for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
        if (random() % 3 == 0) channel.Clear();
        EXPECT_LE(channel.Count(), 8u);  // the control reads counts while the threads run
        if (random() % 5 == 0) {
          channel.Abort();
          channel.Resume();
        }
      }
      for (size_t t = 0; t < 3; ++t) threads[t].join();
      stopping = true;
      channel.Stop();  // what is left is dropped with the channel
      threads[3].join();
    }
    EXPECT_EQ(taken + dropped + refused, 900) << "round " << round;
  }
}

}  // namespace
}  // namespace zm::session
