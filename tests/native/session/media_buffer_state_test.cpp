// The media buffer's decisions, driven as CMediaBuffer drives them: a small rig applies each
// result to the player's flags and the gates, and counts the messages the control would get.
#include "session/media_buffer_state.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

constexpr uint32_t kAudio = 1, kVideo = 2;
constexpr int64_t kSec = MediaBufferState::kUnitsPerSecond;
constexpr protocol::Guid kOpus{0xB940AE21, 0x195E, 0x4CE6, {0xB3, 0x24, 0xE7, 0x03, 0xAE, 0x73, 0x3A, 0xEC}};

MediaFrame Frame(uint32_t type, int64_t time, uint8_t key = 0, uint32_t length = 1) {
  return MediaFrame{type, 0, 0, time, time, key, 0, 0, length, nullptr, 0};
}

struct Rig {
  MediaBufferState state;
  BufferPlayerView player;
  BufferChannelView ch;
  int pauses = 0, resumes = 0, resyncs[2] = {0, 0};

  Rig(uint32_t kind, bool video, bool audio, protocol::Guid subtype = {}) : state(kind, video, audio, subtype) {}
  DeliverDecision Deliver(const MediaFrame& f, int64_t now = 1) {
    DeliverDecision d = state.OnDeliver(f, player, ch, now);
    ch.audioGateOpen |= d.openAudioGate;
    ch.videoGateOpen |= d.openVideoGate;
    if (d.endRebuffering) player.m_bBuffering = false, ++resumes;
    if (d.resync != kNoResync) ++resyncs[d.resync];
    return d;
  }
  void HandOut(MediaFrame f, bool desktop = true) {
    HandOutDecision d = state.OnHandOut(f, player, ch, desktop, 1);
    if (d.closeGate) (f.streamType == kAudio ? ch.audioGateOpen : ch.videoGateOpen) = false;
    if (d.startRebuffering) player.m_bBuffering = true, ++pauses;
  }
};

TEST(MediaBufferStateTest, StreamIsFullAtMinOf50PerSecondAnd900FramesAnd999OrAnEndEndsRebuffering) {
  struct Case {
    int32_t seconds;
    size_t count;
    uint32_t length;
    bool full;
  } cases[] = {
      {30, 899, 1, false}, {30, 900, 1, true}, {4, 199, 1, false},
      {4, 200, 1, true},   {30, 999, 1, true}, {30, 0, 0, true},
  };
  for (const Case& c : cases) {
    Rig rig(0, true, false);
    rig.player.m_nBufferSeconds = c.seconds;
    rig.HandOut(Frame(kVideo, kSec));
    rig.ch.videoCount = c.count;
    rig.Deliver(Frame(kVideo, 2 * kSec, 0, c.length));
    EXPECT_EQ(rig.ch.videoGateOpen, c.full) << c.seconds << "s, " << c.count << " frames";
    EXPECT_EQ(rig.resumes, c.full ? 1 : 0);
  }
}

TEST(MediaBufferStateTest, WithBothStreamsTheFirstFullOpensItsGateTheSecondEndsRebufferingOnce) {
  Rig rig(0, true, true);
  rig.HandOut(Frame(kAudio, 10 * kSec));
  rig.HandOut(Frame(kVideo, 10 * kSec));
  EXPECT_EQ(rig.pauses, 1);
  EXPECT_FALSE(rig.ch.audioGateOpen || rig.ch.videoGateOpen);
  struct Step {
    uint32_t type;
    int64_t time;
    int32_t percent;
    bool audioOpen, videoOpen;
  } steps[] = {
      {kVideo, 12 * kSec, 20, false, false}, {kVideo, 11 * kSec, 20, false, false},  // never decreases
      {kVideo, 15 * kSec, 50, false, true},  {kAudio, 13 * kSec, 80, false, true},
      {kAudio, 15 * kSec, 100, true, true},  {kAudio, 16 * kSec, 100, true, true},
  };
  for (const Step& s : steps) {
    rig.Deliver(Frame(s.type, s.time));
    EXPECT_EQ(rig.state.BufferingPercent(), s.percent) << s.time;
    EXPECT_EQ(rig.ch.audioGateOpen, s.audioOpen) << s.time;
    EXPECT_EQ(rig.ch.videoGateOpen, s.videoOpen) << s.time;
  }
  EXPECT_EQ(rig.resumes, 1);
  rig.HandOut(Frame(kVideo, 15 * kSec));
  EXPECT_EQ(rig.pauses, 2);
  EXPECT_EQ(rig.state.BufferingPercent(), 0);
}

TEST(MediaBufferStateTest, RebufferingStartsOnlyWhenItsConditionsHold) {
  struct Case {
    uint32_t kind;
    bool seeking, liveBuffering, playlist, desktop;
    size_t audio;
    bool starts;
  } cases[] = {
      {0, false, false, false, true, 0, true},   {0, true, false, false, true, 0, false},
      {0, false, false, false, false, 0, false}, {1, false, true, false, true, 9, true},
      {1, false, true, false, true, 10, false},  {1, false, false, false, true, 0, false},
      {1, false, true, true, true, 0, false},    {2, false, true, false, true, 0, false},
  };
  for (const Case& c : cases) {
    Rig rig(c.kind, true, true);
    rig.player = {false, c.seeking, c.liveBuffering, 5, c.playlist ? protocol::FilePlayList : protocol::LiveDirect};
    rig.ch.audioCount = c.audio;
    rig.HandOut(Frame(kVideo, kSec), c.desktop);
    EXPECT_EQ(rig.pauses, c.starts ? 1 : 0) << c.kind << c.seeking << c.liveBuffering << c.playlist << c.audio;
  }
}

TEST(MediaBufferStateTest, EachStreamEndsOnceTheLastEndReportsOnceAndFlushForgetsTheEnds) {
  MediaBufferState state(0, true, true, {});
  EXPECT_TRUE(state.ShouldRebuffer({}, 0));
  EndDecision first = state.OnEndMarker(kAudio);
  EXPECT_TRUE(first.pushEndMarkers && !first.allEnded);
  EXPECT_TRUE(state.Refuses(kAudio));  // the extra audio marker is never taken
  EXPECT_FALSE(state.Refuses(kVideo));
  EXPECT_FALSE(state.ShouldRebuffer({}, 0));
  EXPECT_TRUE(state.OnEndMarker(kVideo).allEnded);
  EXPECT_FALSE(state.OnEndMarker(kVideo).allEnded);
  state.OnFlush();
  EXPECT_FALSE(state.Refuses(kAudio) || state.Refuses(kVideo));

  state.SetAudioAbsent();  // video only from now on
  EXPECT_TRUE(state.OnEndMarker(kVideo).allEnded);
  EXPECT_TRUE(state.OnDeliver(Frame(kAudio, kSec), {}, {}, 1).drop);
  EXPECT_TRUE(state.OnDeliver(Frame(3, kSec), {}, {}, 1).drop);
  EXPECT_TRUE(state.Refuses(3));
}

TEST(MediaBufferStateTest, HandedOutTimesAreRelativeToTheFirstTimedFrameAndNeverNegative) {
  MediaBufferState state(0, true, true, {});
  struct Step {
    int64_t time, stop, relTime, relStop;
    bool reset;
  } steps[] = {
      {0, 50, 0, 50, false},           {1000, 1400, 0, 400, false}, {500, 900, 0, 0, false},
      {3000, 3400, 2000, 2400, false}, {5000, 5100, 0, 100, true},
  };
  for (const Step& s : steps) {
    if (s.reset) state.ResetTimeBase();
    MediaFrame f = Frame(kVideo, s.time);
    f.stopTime = s.stop;
    state.OnHandOut(f, {.m_bSeeking = true}, {.videoCount = 1}, true, 1);
    EXPECT_EQ(f.time, s.relTime) << s.time;
    EXPECT_EQ(f.stopTime, s.relStop) << s.time;
  }
  EXPECT_EQ(state.LastVideoTime(), 5000);
}

TEST(MediaBufferStateTest, LiveVideoOnlyHoldsAKeyFrameAfterAGapOrAfterTenSecondsWithoutDelivery) {
  Rig rig(1, true, false);
  rig.player.m_bLiveBuffering = true;
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 9 * kSec, 1), rig.player));  // nothing handed out yet
  rig.ch.videoCount = 1;                                                          // no rebuffering meanwhile
  rig.HandOut(Frame(kVideo, kSec));
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 3 * kSec, 1), rig.player));
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 9 * kSec, 0), rig.player));
  EXPECT_TRUE(rig.state.HoldForResync(Frame(kVideo, 3 * kSec + 1, 1), rig.player));
  EXPECT_EQ(rig.state.LastVideoTime(), 3 * kSec + 1);

  rig.state.MarkDelivery(100);
  for (int64_t now : {109, 110, 111, 119}) rig.Deliver(Frame(kVideo, 4 * kSec), now);
  EXPECT_EQ(rig.resyncs[kResyncKeep], 1);
  EXPECT_TRUE(rig.state.ResyncRequested());
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 4 * kSec, 0), rig.player));
  EXPECT_TRUE(rig.state.HoldForResync(Frame(kVideo, 4 * kSec, 1), rig.player));
  EXPECT_FALSE(rig.state.ResyncRequested());
  rig.player.m_bRendererRunning = false;
  rig.Deliver(Frame(kVideo, 5 * kSec), 200);
  EXPECT_EQ(rig.resyncs[kResyncKeep], 1);
}

TEST(MediaBufferStateTest, LatencyControlCountsByAudioCodecAndFlushesAtTheNextVideoKeyFrame) {
  struct Case {
    protocol::Guid subtype;
    bool video;
    size_t audio, videoCount;
    bool enough;
  } cases[] = {
      {kOpus, true, 15, 35, false},
      {kOpus, true, 16, 0, true},
      {kOpus, true, 10, 41, true},
      {protocol::FourCCGuid(0x5355504F), false, 16, 0, true},
      {protocol::FourCCGuid(0x5355504F), false, 15, 0, false},
      {protocol::FourCCGuid(0xFF), false, 11, 0, true},
      {protocol::FourCCGuid(0xFF), false, 10, 0, false},
      {protocol::MEDIASUBTYPE_PCM, false, 6, 0, true},
      {protocol::MEDIASUBTYPE_PCM, false, 5, 0, false},
  };
  for (const Case& c : cases) {
    MediaBufferState state(1, c.video, true, c.subtype);
    EXPECT_EQ(state.HasEnoughLiveData(c.audio, c.videoCount), c.enough) << protocol::GuidToString(c.subtype) << c.audio;
  }
  Rig rig(1, true, true, kOpus);
  rig.state.MarkDelivery(1);
  rig.ch.audioCount = 16;
  for (uint8_t key : {0, 0, 1}) rig.Deliver(Frame(kVideo, kSec, key));
  EXPECT_EQ(rig.resyncs[kResyncFlush], 1);
  rig.ch.audioCount = 0;  // the flush emptied the channels
  rig.Deliver(Frame(kVideo, kSec, 1));
  EXPECT_EQ(rig.resyncs[kResyncFlush], 1);
  EXPECT_FALSE(rig.state.LagLatched());
}

}  // namespace
}  // namespace zm::session
