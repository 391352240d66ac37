// The media buffer between a producer and the renderer's readers on threads of their own: order
// per stream through rebuffering, the end of each stream on its own marker, and every frame freed
// exactly once when readers are aborted or stopped, hold a frame at a closed gate, or leave a key
// frame held back. Also run under ThreadSanitizer.
#include "session/media_buffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace zm::session {
namespace {

constexpr uint32_t kAudio = 1, kVideo = 2;
constexpr int64_t kFrameTime = 400'000;  // 25 frames a second

std::atomic<int> outstanding{0};
void Drop(MediaFrame* frame) {
  --outstanding;
  delete frame;
}
MediaFrame* Frame(uint32_t type, int64_t time, uint32_t length = 1, uint8_t key = 1) {
  ++outstanding;
  return new MediaFrame{.streamType = type, .time = time, .stopTime = time, .keyFrame = key, .length = length};
}

struct Site : MediaBufferSite {
  MediaBuffer* buffer = nullptr;
  std::atomic<bool> buffering{false}, liveBuffering{false};
  std::atomic<int> pauses{0}, resumes{0}, resyncs{0}, ends{0};

  BufferPlayerView PlayerView() override {
    BufferPlayerView view;
    view.m_bBuffering = buffering;
    view.m_bLiveBuffering = liveBuffering;
    return view;
  }
  void StartRebuffering() override {
    buffering = true;
    ++pauses;
  }
  void EndRebuffering() override {
    buffering = false;
    ++resumes;
  }
  void RequestResync(int32_t) override { ++resyncs; }
  void AllStreamsEnded() override { ++ends; }
  void PushEndMarkers() override {
    buffer->DeliverFrame(Frame(kVideo, 0, 0));
    buffer->DeliverFrame(Frame(kAudio, 0, 0));
  }
  bool TimeShiftCaughtUp() override { return false; }
  bool DesktopReachable() override { return true; }
  int64_t NowSeconds() override { return 1; }
};

struct Rig {
  Site site;
  std::unique_ptr<MediaBuffer> buffer;
  Rig(uint32_t kind, bool video, bool audio) {
    buffer = std::make_unique<MediaBuffer>(site, Drop, kind, video, audio, protocol::Guid{});
    site.buffer = buffer.get();
  }
  ~Rig() {
    buffer.reset();
    EXPECT_EQ(outstanding, 0) << "frames leaked or freed twice";
  }
  // Reads the stream to its end: the times handed out, in order.
  std::vector<int64_t> ReadAll(uint32_t type) {
    std::vector<int64_t> times;
    for (int misses = 0; misses < 2;) {
      MediaFrame* frame = nullptr;
      if (!buffer->GetFrame(type, frame)) {
        ++misses;  // the end marker, then the refusal of an ended stream
        continue;
      }
      times.push_back(frame->time);
      Drop(frame);
    }
    return times;
  }
};

template <class T>
bool Waiting(std::future<T>& f) {
  return f.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout;
}

TEST(MediaBufferTest, ReadersGetEveryFrameInOrderThroughRebufferingAndEachStreamEndsOnItsOwnMarker) {
  for (int round = 0; round < 20; ++round) {
    Rig rig(0, true, true);
    constexpr int kFrames = 2500;  // beyond a channel's capacity: the producer waits for space
    auto video = std::async(std::launch::async, [&] { return rig.ReadAll(kVideo); });
    auto audio = std::async(std::launch::async, [&] { return rig.ReadAll(kAudio); });
    // Video stops long before audio; the file ends with both markers, video's first. The
    // video reader's end makes it push markers again: audio's tail must still play out whole.
    for (int i = 1; i <= kFrames; ++i) {
      if (i <= kFrames / 2) rig.buffer->DeliverFrame(Frame(kVideo, i * kFrameTime));
      rig.buffer->DeliverFrame(Frame(kAudio, i * kFrameTime));
    }
    rig.buffer->DeliverFrame(Frame(kVideo, 0, 0));
    rig.buffer->DeliverFrame(Frame(kAudio, 0, 0));
    const std::vector<int64_t> videoTimes = video.get(), audioTimes = audio.get();
    ASSERT_EQ(videoTimes.size(), size_t(kFrames / 2));
    ASSERT_EQ(audioTimes.size(), size_t(kFrames));
    // Times are relative to the first frame handed out, and strictly increasing per stream.
    for (size_t i = 1; i < audioTimes.size(); ++i) ASSERT_LT(audioTimes[i - 1], audioTimes[i]) << i;
    for (size_t i = 1; i < videoTimes.size(); ++i) ASSERT_LT(videoTimes[i - 1], videoTimes[i]) << i;
    EXPECT_EQ(rig.site.ends, 1);
    EXPECT_EQ(rig.site.pauses, rig.site.resumes);
    EXPECT_FALSE(rig.site.buffering);
  }
}

TEST(MediaBufferTest, AbortWakesReadersAndStopReleasesAProducerAtCapacityWithoutLosingAFrame) {
  Rig rig(1, true, true);
  for (size_t i = 1; i <= FrameChannel::kCapacity; ++i) rig.buffer->DeliverFrame(Frame(kVideo, i * kFrameTime));
  auto producer = std::async(std::launch::async, [&] { rig.buffer->DeliverFrame(Frame(kVideo, 0)); });
  auto reader = std::async(std::launch::async, [&] {
    MediaFrame* frame = nullptr;
    return rig.buffer->GetFrame(kAudio, frame) || frame;
  });
  ASSERT_TRUE(Waiting(producer) && Waiting(reader));
  rig.buffer->Abort();
  EXPECT_FALSE(reader.get());
  MediaFrame* frame = nullptr;
  EXPECT_FALSE(rig.buffer->GetFrame(kVideo, frame)) << "aborted: nothing is handed out";
  ASSERT_TRUE(Waiting(producer));
  rig.buffer->Stop();
  producer.get();
  EXPECT_EQ(outstanding, int(FrameChannel::kCapacity)) << "the refused frame was freed";
}

TEST(MediaBufferTest, AFrameHeldAtAClosedGateOrForResynchronisationIsFreedOnStopFlushAndDestruction) {
  {  // Stored video: the reader empties the channel, the gate closes behind its frame.
    Rig rig(0, true, false);
    rig.buffer->DeliverFrame(Frame(kVideo, kFrameTime));
    auto reader = std::async(std::launch::async, [&] {
      MediaFrame* frame = nullptr;
      return rig.buffer->GetFrame(kVideo, frame) || frame;
    });
    ASSERT_TRUE(Waiting(reader));
    EXPECT_EQ(rig.site.pauses, 1);
    rig.buffer->Stop();
    EXPECT_FALSE(reader.get());
    EXPECT_EQ(outstanding, 0);
  }
  for (bool flush : {true, false}) {  // Live video with buffering: a key frame 3 s later is held.
    Rig rig(1, true, false);
    rig.site.liveBuffering = true;
    for (int64_t time : {10'000'000, 10'000'001, 40'000'000}) rig.buffer->DeliverFrame(Frame(kVideo, time));
    MediaFrame* frame = nullptr;
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(rig.buffer->GetFrame(kVideo, frame)) << i;
      Drop(frame);
    }
    EXPECT_FALSE(rig.buffer->GetFrame(kVideo, frame));
    EXPECT_EQ(std::tuple(rig.site.resyncs.load(), outstanding.load()), std::tuple(1, 1));
    if (flush) {
      rig.buffer->Flush();
      EXPECT_EQ(outstanding, 0);
    }
  }
}

}  // namespace
}  // namespace zm::session
