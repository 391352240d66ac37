// The media buffer's decisions, driven as CMediaBuffer drives them: a small rig applies each
// result to the player's flags and the gates, and counts the messages the control would get.
#include "session/media_buffer_state.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

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
  void Deliver(const MediaFrame& f, int64_t now = 1) {
    DeliverDecision d = state.OnDeliver(f, player, ch, now);
    ch.audioGateOpen |= d.openAudioGate;
    ch.videoGateOpen |= d.openVideoGate;
    if (d.endRebuffering) player.m_bBuffering = false, ++resumes;
    if (d.resync != kNoResync) ++resyncs[d.resync];
  }
  void HandOut(MediaFrame f, bool desktop = true) {
    HandOutDecision d = state.OnHandOut(f, player, ch, desktop, 1);
    if (d.closeGate) (f.streamType == kAudio ? ch.audioGateOpen : ch.videoGateOpen) = false;
    if (d.startRebuffering) player.m_bBuffering = true, ++pauses;
  }
};

TEST(MediaBufferStateTest, StreamIsFullAtMinOf50PerSecondAnd900FramesAnd999OrAnEndEndsRebuffering) {
  // Buffer seconds, video frames queued, length of the video frame delivered (0: an end marker),
  // then the video gate (full) and the audio gate (rebuffering ends).
  const std::tuple<int32_t, size_t, uint32_t, bool, bool> cases[] = {
      {30, 899, 1, false, false}, {30, 900, 1, true, false}, {4, 200, 1, true, false},
      {30, 999, 1, true, true},   {30, 0, 0, true, true},
  };
  for (auto [seconds, count, length, videoOpen, ends] : cases) {
    Rig rig(0, true, true);
    rig.player.m_nBufferSeconds = seconds;
    rig.HandOut(Frame(kAudio, kSec));
    rig.HandOut(Frame(kVideo, kSec));
    rig.ch.videoCount = count;
    rig.Deliver(Frame(kVideo, 2 * kSec, 0, length));
    EXPECT_EQ(std::pair(rig.ch.videoGateOpen, rig.ch.audioGateOpen), std::pair(videoOpen, ends)) << seconds << count;
    EXPECT_EQ(rig.resumes, ends ? 1 : 0);
  }
}

TEST(MediaBufferStateTest, WithBothStreamsTheFirstFullOpensItsGateTheSecondEndsRebufferingOnce) {
  Rig rig(0, true, true);
  rig.HandOut(Frame(kAudio, 10 * kSec));
  rig.HandOut(Frame(kVideo, 10 * kSec));
  EXPECT_EQ(rig.pauses, 1);
  EXPECT_FALSE(rig.ch.audioGateOpen || rig.ch.videoGateOpen);
  // Stream, time, then the percentage and the audio and video gates after the delivery.
  const std::tuple<uint32_t, int64_t, int32_t, bool, bool> steps[] = {
      {kVideo, 12 * kSec, 20, false, false}, {kVideo, 11 * kSec, 20, false, false},
      {kVideo, 15 * kSec, 50, false, true},  {kVideo, 0, 50, false, true},
      {kAudio, 13 * kSec, 80, false, true},  {kAudio, 15 * kSec, 100, true, true},
      {kAudio, 16 * kSec, 100, true, true},
  };
  for (auto [type, time, percent, audioOpen, videoOpen] : steps) {
    rig.Deliver(Frame(type, time));
    EXPECT_EQ(rig.state.BufferingPercent(), percent) << time;
    EXPECT_EQ(std::pair(rig.ch.audioGateOpen, rig.ch.videoGateOpen), std::pair(audioOpen, videoOpen)) << time;
  }
  EXPECT_EQ(rig.resumes, 1);
  rig.HandOut(Frame(kVideo, 15 * kSec));
  EXPECT_EQ(rig.pauses, 2);
  EXPECT_EQ(rig.state.BufferingPercent(), 0);
}

TEST(MediaBufferStateTest, RebufferingStartsOnlyWhenItsConditionsHold) {
  // Resource kind, seeking, live buffering, server playlist, desktop reachable, audio frames queued, starts.
  const std::tuple<uint32_t, bool, bool, bool, bool, size_t, bool> cases[] = {
      {0, false, false, false, true, 0, true},   {0, true, false, false, true, 0, false},
      {0, false, false, false, false, 0, false}, {1, false, true, false, true, 9, true},
      {1, false, true, false, true, 10, false},  {1, false, false, false, true, 0, false},
      {1, false, true, true, true, 0, false},    {2, false, true, false, true, 0, false},
  };
  for (auto [kind, seeking, liveBuffering, playlist, desktop, audio, starts] : cases) {
    Rig rig(kind, true, true);
    rig.player = {false, seeking, liveBuffering, 5, playlist ? protocol::FilePlayList : protocol::LiveDirect};
    rig.ch.audioCount = audio;
    rig.HandOut(Frame(kVideo, kSec), desktop);
    EXPECT_EQ(rig.pauses, starts ? 1 : 0) << kind << seeking << liveBuffering << playlist << audio;
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
  EndDecision last = state.OnEndMarker(kVideo);
  EXPECT_TRUE(last.allEnded && !last.pushEndMarkers);
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
  // Time and stop time in, then out; the 5000 frame follows a time-base reset.
  const std::array<int64_t, 4> steps[] = {
      {0, 50, 0, 50},           {1000, 1400, 0, 400}, {500, 900, 0, 0},
      {3000, 3400, 2000, 2400}, {5000, 5100, 0, 100}, {INT64_MIN, INT64_MAX, 0, INT64_MAX - 5000},  // saturates
  };
  for (auto [time, stop, outTime, outStop] : steps) {
    if (time == 5000) state.ResetTimeBase();
    MediaFrame f = Frame(kVideo, time);
    f.stopTime = stop;
    state.OnHandOut(f, {.m_bSeeking = true}, {.videoCount = 1}, true, 1);
    EXPECT_EQ(std::pair(f.time, f.stopTime), std::pair(outTime, outStop)) << time;
  }
}

TEST(MediaBufferStateTest, LiveVideoOnlyHoldsAKeyFrameAfterAGapOrAfterTenSecondsWithoutDelivery) {
  Rig rig(1, true, false);
  rig.player.m_bLiveBuffering = true;
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 9 * kSec, 1), rig.player));  // nothing handed out yet
  rig.ch.videoCount = 1;                                                          // no rebuffering meanwhile
  rig.HandOut(Frame(kVideo, kSec));
  // Time, key frame, held: only a key frame more than 2 s on; it becomes the last video time.
  const std::tuple<int64_t, uint8_t, bool> holds[] = {
      {INT64_MIN, 1, false},   {3 * kSec, 1, false},     {9 * kSec, 0, false},
      {3 * kSec + 1, 1, true}, {5 * kSec + 1, 1, false},
  };
  for (auto [time, key, held] : holds) {
    EXPECT_EQ(rig.state.HoldForResync(Frame(kVideo, time, key), rig.player), held) << time;
  }
  rig.state.MarkDelivery(100);
  // Seconds since 1970 at the delivery, resynchronisations so far.
  for (auto [now, resyncs] : {std::pair{109, 0}, {110, 1}, {119, 1}, {120, 2}}) {
    rig.Deliver(Frame(kVideo, 4 * kSec), now);
    EXPECT_EQ(rig.resyncs[kResyncKeep], resyncs) << now;
  }
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 4 * kSec, 0), rig.player));
  EXPECT_TRUE(rig.state.HoldForResync(Frame(kVideo, 4 * kSec, 1), rig.player));  // the request, not a gap
  EXPECT_FALSE(rig.state.HoldForResync(Frame(kVideo, 4 * kSec, 1), rig.player));
  rig.player.m_bRendererRunning = false;
  rig.Deliver(Frame(kVideo, 7 * kSec), 200);
  EXPECT_EQ(rig.resyncs[kResyncKeep], 2);
}

TEST(MediaBufferStateTest, LatencyControlCountsByAudioCodecAndFlushesAtTheNextVideoKeyFrame) {
  const protocol::Guid opusFourCC = protocol::FourCCGuid(0x5355504F), aacTag = protocol::FourCCGuid(0xFF),
                       pcm = protocol::MEDIASUBTYPE_PCM;
  // Audio subtype, video present, audio and video frames queued, enough for a flush.
  const std::tuple<protocol::Guid, bool, size_t, size_t, bool> cases[] = {
      {kOpus, true, 15, 35, false},     {kOpus, true, 16, 0, true},        {kOpus, true, 10, 41, true},
      {opusFourCC, false, 16, 0, true}, {opusFourCC, false, 15, 0, false}, {aacTag, false, 11, 0, true},
      {aacTag, false, 10, 0, false},    {pcm, false, 6, 0, true},          {pcm, false, 5, 0, false},
  };
  for (auto [subtype, video, audio, videoCount, enough] : cases) {
    MediaBufferState state(1, video, true, subtype);
    EXPECT_EQ(state.HasEnoughLiveData(audio, videoCount), enough) << protocol::GuidToString(subtype) << audio;
  }
  Rig rig(1, true, true, kOpus);
  rig.state.MarkDelivery(1);
  // Audio frames queued, key frame, flushes so far: a key frame after the lag has gone only unlatches.
  for (auto [audio, key, flushes] : {std::tuple{16u, 0, 0}, {0u, 1, 0}, {16u, 0, 0}, {16u, 0, 0}, {16u, 1, 1}}) {
    rig.ch.audioCount = audio;
    rig.Deliver(Frame(kVideo, kSec, key));
    EXPECT_EQ(rig.resyncs[kResyncFlush], flushes) << audio << key;
  }
  EXPECT_FALSE(rig.state.LagLatched());
  Rig audioOnly(1, false, true, pcm);
  audioOnly.state.MarkDelivery(1);
  audioOnly.ch.audioCount = 6;
  audioOnly.Deliver(Frame(kAudio, kSec));
  EXPECT_EQ(audioOnly.resyncs[kResyncFlush], 1);  // no picture to wait for
}

}  // namespace
}  // namespace zm::session
