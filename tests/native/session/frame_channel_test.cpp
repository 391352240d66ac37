// The frame channel and the gate between the grabber thread and the renderer's readers: order,
// blocking at capacity, clearing, stopping and aborting wake every waiter, and under many
// threads no frame is lost, handed out twice or leaked. Also run under ThreadSanitizer.
#include "session/frame_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
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
MediaFrame* Frame(uint16_t index) { return new MediaFrame{.itemIndex = index}; }

// Starts `body` on a thread; Waiting() says whether it is still blocked a little later.
template <class Body>
auto Start(Body body) {
  return std::async(std::launch::async, body);
}
template <class T>
bool Waiting(std::future<T>& f) {
  return f.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout;
}

TEST(FrameChannelTest, HandsTheSameRecordsOutOldestFirstAndWaitsAtCapacityForSpace) {
  FrameChannel channel(Drop, 2);
  MediaFrame* frames[] = {Frame(1), Frame(2), Frame(3)};
  ASSERT_TRUE(channel.Push(frames[0]) && channel.Push(frames[1]));
  auto third = Start([&] { return channel.Push(frames[2]); });
  EXPECT_TRUE(Waiting(third)) << "a full channel takes no third frame";
  for (MediaFrame* expected : frames) {
    MediaFrame* out = nullptr;
    ASSERT_TRUE(channel.Pop(out));
    EXPECT_EQ(out, expected);  // the record itself, not a copy
    delete out;
  }
  EXPECT_TRUE(third.get());
}

TEST(FrameChannelTest, ClearDropsEveryFrameAndAProducerWaitingForSpaceKeepsItsFrame) {
  dropped = 0;
  FrameChannel channel(Drop, 2);
  ASSERT_TRUE(channel.Push(Frame(1)) && channel.Push(Frame(2)));
  MediaFrame* late = Frame(3);
  auto producer = Start([&] { return channel.Push(late); });
  ASSERT_TRUE(Waiting(producer));
  channel.Clear();
  EXPECT_FALSE(producer.get());
  EXPECT_EQ(dropped, 2);
  EXPECT_EQ(channel.Count(), 0u);
  ASSERT_TRUE(channel.Push(late));  // the channel goes on after a clear
  EXPECT_EQ(channel.Count(), 1u);
}

TEST(FrameChannelTest, AbortFailsReadersUntilResumeAndStopEndsEveryWaitForGood) {
  FrameChannel channel(Drop);
  MediaFrame* out = nullptr;
  auto reader = Start([&] { return channel.Pop(out); });
  ASSERT_TRUE(Waiting(reader));
  channel.Abort();
  EXPECT_FALSE(reader.get());
  EXPECT_EQ(out, nullptr);
  ASSERT_TRUE(channel.Push(Frame(1)));
  EXPECT_FALSE(channel.Pop(out)) << "aborted: no frame handed out";
  channel.Resume();
  ASSERT_TRUE(channel.Pop(out));
  delete out;
  auto second = Start([&] { return channel.Pop(out); });
  ASSERT_TRUE(Waiting(second));
  channel.Stop();
  EXPECT_FALSE(second.get());
  MediaFrame refused{};
  EXPECT_FALSE(channel.Push(&refused));
}

TEST(FrameChannelTest, DestructionReleasesBlockedThreadsWaitsForThemAndDropsWhatIsLeft) {
  dropped = 0;
  auto* channel = new FrameChannel(Drop, 1);
  ASSERT_TRUE(channel->Push(Frame(1)));
  MediaFrame extra{};
  auto producer = Start([&] { return channel->Push(&extra); });
  ASSERT_TRUE(Waiting(producer));
  delete channel;  // stops the channel, then waits for the producer to leave
  EXPECT_FALSE(producer.get());
  EXPECT_EQ(dropped, 1);
}

TEST(GateTest, AnOpeningReleasesEveryWaitingReaderEvenIfItClosesAtOnceAndStopReleasesForGood) {
  Gate gate;
  EXPECT_TRUE(gate.IsOpen() && gate.WaitOpen());
  gate.Close();
  auto reader = Start([&] { return gate.WaitOpen(); });
  ASSERT_TRUE(Waiting(reader));
  gate.Open();
  gate.Close();  // before the reader has run: it must not sleep through the opening
  EXPECT_TRUE(reader.get());
  auto stopped = Start([&] { return gate.WaitOpen(); });
  ASSERT_TRUE(Waiting(stopped));
  gate.Stop();
  EXPECT_FALSE(stopped.get());
}

// Three producers (the grabber and two end-marker pushers) and one reader, with clears,
// aborts, count reads and a final stop racing them: every frame ends exactly once, taken by
// the reader, dropped by the channel, or handed back to its producer.
TEST(FrameChannelTest, UnderManyThreadsEveryFrameEndsExactlyOnce) {
  for (int round = 0; round < 20; ++round) {
    dropped = 0;
    std::atomic<int> taken{0}, refused{0};
    std::atomic<bool> stopping{false};
    {
      FrameChannel channel(Drop, 8);
      std::vector<std::future<void>> producers;
      for (int p = 0; p < 3; ++p) {
        producers.push_back(Start([&] {
          for (uint16_t i = 0; i < 300; ++i) {
            MediaFrame* frame = Frame(i);
            if (!channel.Push(frame)) ++refused, delete frame;
          }
        }));
      }
      auto reader = Start([&] {
        for (MediaFrame* out = nullptr; !stopping;)
          if (channel.Pop(out)) ++taken, delete out;
      });
      std::mt19937 random(static_cast<unsigned>(round));
      for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
        if (random() % 3 == 0) channel.Clear();
        if (random() % 5 == 0) channel.Abort(), channel.Resume();
        EXPECT_LE(channel.Count(), 8u);  // the control reads counts while the threads run
      }
      for (auto& producer : producers) producer.get();
      stopping = true;
      channel.Stop();  // what is left is dropped with the channel
      reader.get();
    }
    EXPECT_EQ(taken + dropped + refused, 900) << "round " << round;
  }
}

}  // namespace
}  // namespace zm::session
