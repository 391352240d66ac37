// The frame queue over a scripted transport: pre-roll limits, stream changes and the frames held
// back for the next run, seeking, end markers, and descriptions that do not fit their payload.
// Every record and payload the queue allocates or takes over is freed by the end of each test.
#include "session/frame_queue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

#include "protocol/media_frame_codec.h"
#include "protocol/media_type_guids.h"
#include "protocol/stream_change_codec.h"

namespace zm::session {
namespace {

constexpr uint32_t kAudio = 1, kVideo = 2;
constexpr int64_t kSec = 10'000'000;

protocol::StreamFormat Format(const protocol::Guid& major, uint8_t blockByte = 0) {
  protocol::StreamFormat f;
  f.type.majorType = major;
  f.formatBlock = {blockByte, 1, 2};
  return f;
}

struct Site : FrameQueueSite {
  std::deque<MediaFrame> script;  // what the transport reads; payloads owned by `payloads`
  std::vector<MediaFrame> delivered;
  int outstanding = 0, stops = 0, seekCompletions = 0, flushes = 0, timeBaseResets = 0;

  ~Site() {
    for (MediaFrame& f : script) delete[] f.data;
  }
  void Add(uint32_t type, int64_t time, uint32_t length = 4) {
    MediaFrame f{.streamType = type, .time = time, .length = length};
    if (length) f.data = new uint8_t[length]{uint8_t(script.size())};
    script.push_back(f);
  }
  void AddChange(const protocol::StreamChange& change, uint8_t hasNewFormat = 1, size_t cut = 0) {
    std::vector<uint8_t> payload = protocol::EncodeStreamChangePayload(change);
    payload.resize(payload.size() - cut);
    MediaFrame f{.streamType = kVideo,
                 .stopTime = protocol::kStreamChangeStopTime,
                 .hasNewFormat = hasNewFormat,
                 .tag = protocol::kStreamChangeTag,
                 .length = uint32_t(payload.size())};
    f.data = new uint8_t[payload.size()];
    std::memcpy(f.data, payload.data(), payload.size());
    script.push_back(f);
  }

  bool ReadFrame(MediaFrame& frame, std::wstring& errorText) override {
    if (script.empty()) {
      errorText = L"Error receiving data";
      return false;
    }
    frame = script.front();
    script.pop_front();
    if (frame.data) ++outstanding;  // the transport's payload now belongs to the queue
    return true;
  }
  MediaFrame* AllocateFrame() override {
    ++outstanding;
    return new MediaFrame{};
  }
  uint8_t* AllocatePayload(size_t size) override {
    ++outstanding;
    return new uint8_t[size];
  }
  void DropFrame(MediaFrame* frame) override {
    if (frame->data) --outstanding;
    delete[] frame->data;
    --outstanding;
    delete frame;
  }
  void DeliverFrame(MediaFrame* frame) override {
    delivered.push_back(*frame);
    DropFrame(frame);
  }
  void FlushBuffer() override { ++flushes; }
  void ResetTimeBase() override { ++timeBaseResets; }
  bool StopSignalled() override { return stops > 0; }
  void SignalStop() override { ++stops; }
  void SeekCompleted() override { ++seekCompletions; }
};

struct Rig {
  PlayerSettings settings;
  SessionValues session;
  Site site;
  FrameQueue queue{settings, session, site};
  int endCount = 0;
  std::wstring error;

  Rig(bool video = true, bool audio = true, int32_t kind = 0) {
    if (video) session.m_videoType = Format(protocol::MEDIATYPE_Video);
    if (audio) session.m_audioType = Format(protocol::MEDIATYPE_Audio);
    session.m_bAudioWithVideo = video && audio;
    session.m_bAudioOnly = audio && !video;
    session.m_nStreamKind = kind;
  }
  protocol::StreamChange Change(uint16_t kind, uint8_t videoByte = 0) const {
    protocol::StreamChange change;
    change.status.resourceKind = kind;
    change.formats = {Format(protocol::MEDIATYPE_Video, videoByte), session.m_audioType};
    return change;
  }
  // One pass of the playing loop: a recognised stream change ends the run behind end markers;
  // while it is pending, what is read is also kept for the next run.
  void Play() {
    const bool pending = queue.HasPendingStreamChange();
    MediaFrame* frame = site.AllocateFrame();
    ASSERT_TRUE(queue.NextFrame(frame, error, pending || session.m_bSeeking));
    if (!session.m_bSeeking || session.m_nSeekTarget == 0) {
      bool rebuild = false;
      if (!pending) {
        const FrameQueue::StreamChange change = queue.CheckStreamChange(frame, rebuild);
        if (change == FrameQueue::StreamChange::Pending) queue.PushEndMarkers();
        if (change != FrameQueue::StreamChange::None) return;
      } else {
        ASSERT_TRUE(queue.HoldBack(*frame));
        if (FrameQueue::IsStreamChange(*frame)) return site.DropFrame(frame);
      }
    }
    ASSERT_TRUE(queue.HandleFrame(frame, endCount, error));
  }
  ~Rig() {
    queue.ClearPendingFrames();
    EXPECT_EQ(site.outstanding, 0) << "frames leaked or freed twice";
  }
};

TEST(FrameQueueTest, PrerollsStopAtTheirSpansAndFrameLimits) {
  {  // Stored: two seconds of each present stream, or 200 frames, or an end marker.
    Rig rig;
    for (int i = 0; i < 300; ++i) rig.site.Add(i % 2 ? kAudio : kVideo, (i / 2) * kSec / 25 + kSec);
    ASSERT_TRUE(rig.queue.PrerollStored(rig.endCount, rig.error));
    EXPECT_EQ(rig.site.delivered.size(), 102u);  // picture 50 (2 s) of both streams
    EXPECT_EQ(rig.session.m_llStartTime, -1) << "only a stored file's playback mode captures it";
  }
  {
    Rig rig(true, false);
    for (int i = 0; i < 300; ++i) rig.site.Add(kVideo, 0);
    ASSERT_TRUE(rig.queue.PrerollStored(rig.endCount, rig.error));
    EXPECT_EQ(rig.site.delivered.size(), FrameQueue::kPrerollFrameLimit);
    for (MediaFrame& f : rig.site.script) delete[] f.data;
    rig.site.script.clear();
    rig.site.Add(kVideo, 0, 0);
    ASSERT_TRUE(rig.queue.PrerollStored(rig.endCount, rig.error));
    EXPECT_EQ(rig.endCount, 1);
    EXPECT_FALSE(rig.queue.PrerollStored(rig.endCount, rig.error)) << "the transport has nothing more";
    EXPECT_EQ(rig.error, L"Error receiving data");
    EXPECT_EQ(rig.session.m_nErrorID, 1003);
  }
  for (auto [seconds, limit] : {std::pair(30, 900u), std::pair(1, 50u)}) {
    Rig rig(true, false, 1);
    rig.settings.m_nBufferSeconds = seconds;
    for (int i = 0; i < 1000; ++i) rig.site.Add(kVideo, 0);
    ASSERT_TRUE(rig.queue.PrerollLiveFill(rig.error));
    EXPECT_EQ(rig.site.delivered.size(), limit) << seconds;
  }
  {  // Live: audio and video return exactly at the second audio frame.
    Rig rig(true, true, 1);
    for (int i = 0; i < 10; ++i) rig.site.Add(i % 3 ? kVideo : kAudio, kSec + i);
    ASSERT_TRUE(rig.queue.PrerollLive(rig.error));
    EXPECT_EQ(rig.site.delivered.size(), 4u);
    EXPECT_EQ(rig.session.m_llStartTime, kSec);
  }
}

TEST(FrameQueueTest, AStreamChangeThatNeedsARestartSwitchesAndOneThatDoesNotIsServedNextRun) {
  {  // Stored to live: restart at once, nothing held.
    Rig rig;
    rig.site.Add(kVideo, kSec);
    rig.site.AddChange(rig.Change(1));
    rig.Play();
    rig.Play();
    EXPECT_TRUE(rig.session.m_bSwitching);
    EXPECT_EQ(std::tuple(rig.site.stops, rig.queue.PendingFrameCount()), std::tuple(1, 0u));
  }
  Rig rig;
  rig.site.AddChange(rig.Change(0));
  for (int i = 1; i <= 3; ++i) rig.site.Add(i % 2 ? kVideo : kAudio, i * kSec);
  for (int i = 0; i < 4; ++i) rig.Play();
  EXPECT_FALSE(rig.session.m_bSwitching);
  EXPECT_EQ(rig.site.stops, 0);
  // End markers first (the renderer plays out what it has), then the frames read after them.
  ASSERT_EQ(rig.site.delivered.size(), 5u);
  EXPECT_EQ(std::tuple(rig.site.delivered[0].length, rig.site.delivered[1].length), std::tuple(0u, 0u));
  EXPECT_EQ(rig.queue.PendingFrameCount(), 3u);

  // The next run: the description is applied, and the held frames come back in order unless a
  // seek skips them.
  MediaFrame* frame = rig.site.AllocateFrame();
  rig.site.Add(kAudio, 9 * kSec);
  ASSERT_TRUE(rig.queue.NextFrame(frame, rig.error, true));
  EXPECT_EQ(frame->time, 9 * kSec);
  rig.site.DropFrame(frame);
  ASSERT_TRUE(rig.queue.ApplyPendingFormat());
  EXPECT_FALSE(rig.queue.HasPendingStreamChange());
  for (int i = 1; i <= 3; ++i) {
    frame = rig.site.AllocateFrame();
    ASSERT_TRUE(rig.queue.NextFrame(frame, rig.error, false));
    EXPECT_EQ(frame->time, i * kSec);
    ASSERT_NE(frame->data, nullptr);
    rig.site.DropFrame(frame);
  }
}

TEST(FrameQueueTest, WhileSeekingFramesAreDroppedUntilTheCompletionAndAnEmptyCompletionEndsEveryStream) {
  Rig rig;
  rig.session.m_bSeeking = true;
  rig.session.m_nSeekTarget = 9;
  rig.site.Add(kVideo, kSec);
  rig.site.Add(kAudio, kSec);
  rig.site.Add(kVideo, 0, 0);
  rig.site.script.back().hasNewFormat = 1;
  for (int i = 0; i < 3; ++i) rig.Play();
  EXPECT_EQ(std::tuple(rig.site.flushes, rig.endCount, rig.site.seekCompletions, rig.site.timeBaseResets),
            std::tuple(1, 2, 1, 1));
  EXPECT_FALSE(rig.session.m_bSeeking);
  // The completion itself, then a marker for each stream.
  ASSERT_EQ(rig.site.delivered.size(), 3u);
  EXPECT_EQ(std::tuple(rig.site.delivered[1].streamType, rig.site.delivered[2].streamType), std::tuple(kVideo, kAudio));
}

TEST(FrameQueueTest, AStreamChangeWithoutAUsableDescriptionChangesNothing) {
  for (auto [hasNewFormat, cut] : {std::pair(0, 0), std::pair(1, 1), std::pair(1, 60)}) {
    Rig rig;
    rig.site.AddChange(rig.Change(1), hasNewFormat, cut);
    rig.site.Add(kVideo, kSec);
    rig.site.Add(kVideo, 0, 0);
    ASSERT_TRUE(rig.queue.PrerollStored(rig.endCount, rig.error));
    EXPECT_FALSE(rig.session.m_bSwitching);
    EXPECT_FALSE(rig.queue.HasPendingStreamChange());
    ASSERT_EQ(rig.site.delivered.size(), 2u) << "only the media frames reach the buffer";
    EXPECT_EQ(rig.site.delivered[0].time, kSec);
  }
}

}  // namespace
}  // namespace zm::session
