#include "session/apply_reply.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::Guid;
using protocol::StreamFormat;

constexpr int32_t kFile = 2;
constexpr int32_t kLiveAlias = 3;
constexpr int32_t kPlayList = 4;

void Put(std::vector<uint8_t>& block, size_t at, uint64_t value, size_t size) {
  if (block.size() < at + size) block.resize(at + size);
  for (size_t i = 0; i < size; ++i) block[at + i] = i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : 0;
}

StreamFormat Video(int32_t width, int32_t height, uint32_t temporalCompression = 0) {
  StreamFormat f;
  f.type.majorType = protocol::MEDIATYPE_Video;
  f.type.formatType = protocol::FORMAT_VideoInfo;
  f.type.temporalCompression = temporalCompression;
  Put(f.formatBlock, 32, 2000000, 4);
  Put(f.formatBlock, 40, 400000, 8);
  Put(f.formatBlock, 48, 40, 4);
  Put(f.formatBlock, 52, static_cast<uint32_t>(width), 4);
  Put(f.formatBlock, 56, static_cast<uint32_t>(height), 4);
  Put(f.formatBlock, 60, 0, 28);  // rest of the bitmap header
  return f;
}

StreamFormat Audio(uint32_t temporalCompression = 0) {
  StreamFormat f;
  f.type.majorType = protocol::MEDIATYPE_Audio;
  f.type.formatType = protocol::FORMAT_WaveFormatEx;
  f.type.temporalCompression = temporalCompression;
  Put(f.formatBlock, 0, 1, 2);
  Put(f.formatBlock, 2, 2, 2);
  Put(f.formatBlock, 4, 44100, 4);
  Put(f.formatBlock, 8, 176400, 4);
  Put(f.formatBlock, 12, 4, 2);
  Put(f.formatBlock, 14, 16, 2);
  return f;
}

// One reply as the negotiation applies it, with the settings and session values it reads.
struct ReplyInputs {
  protocol::ReplyStatus status;
  protocol::StreamFormatPair formats;
  int32_t nResourceKind = 0;
  bool bNormalIntegrity = true;
  int32_t nTimeShiftCarrySec = 0;
  std::optional<MediaFrame> streamChange;
};

ReplyInputs Stored(uint32_t durationMs) {
  ReplyInputs in;
  in.nResourceKind = kFile;
  in.status.resourceKind = 0;
  in.status.serverFlags = durationMs;
  in.status.seekable = 1;
  in.formats = {Video(320, 240), Audio()};
  return in;
}

ReplyInputs Live(uint32_t serverFlags) {
  ReplyInputs in;
  in.nResourceKind = kLiveAlias;
  in.status.resourceKind = 1;
  in.status.serverFlags = serverFlags;
  in.formats = {Video(320, 240), Audio()};
  return in;
}

SessionValues Apply(const ReplyInputs& in, SessionValues v = {}) {
  PlayerSettings settings;
  settings.m_nResourceKind = in.nResourceKind;
  settings.m_bNormalIntegrity = in.bNormalIntegrity;
  v.m_nTimeShiftCarrySec = in.nTimeShiftCarrySec;
  ApplyReply(in.status, in.formats, in.streamChange, settings, v);
  return v;
}

// A stream-change frame header with the window's words in its time field.
MediaFrame Change(uint16_t position, uint16_t max, uint16_t length, uint16_t total, uint16_t flags = 0) {
  MediaFrame frame{};
  frame.flags = flags;
  frame.itemIndex = position;
  frame.time = static_cast<int64_t>(max) | static_cast<int64_t>(length) << 16 | static_cast<int64_t>(total) << 32;
  frame.tag = 0x9F64;
  frame.stopTime = -19839;
  return frame;
}

TEST(ApplyReplyStoredTest, StoredReplyKeepsDurationSeekabilityAndPictureSizeInMode1) {
  SessionValues v = Apply(Stored(10000));
  EXPECT_EQ(v.m_nStreamKind, 0);
  EXPECT_EQ(v.m_nDurationMs, 10000);
  EXPECT_EQ(v.m_bSeekable, 1);
  EXPECT_TRUE(v.m_bSeekable != 0);
  EXPECT_TRUE(v.m_bAudioWithVideo);
  EXPECT_FALSE(v.m_bAudioOnly);
  EXPECT_EQ(v.m_nVideoWidth, 320);
  EXPECT_EQ(v.m_nVideoHeight, 240);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::Stored);
  EXPECT_FALSE(v.m_bTimeShiftCanSwitchToLive);
  EXPECT_EQ(v.m_nTimeShiftPosition, 0);
  EXPECT_FALSE(v.m_bSnapshotAllowed);
}

TEST(ApplyReplyStoredTest, ServerResultIsKept) {
  ReplyInputs in = Stored(1);
  in.status.result = 0x8FFF0544;
  EXPECT_EQ(static_cast<uint32_t>(Apply(in).m_nServerResult), 0x8FFF0544u);
}

TEST(ApplyReplyLiveTest, LiveReplyHasNoDurationAndPlaysInMode2) {
  SessionValues v = Apply(Live(0x2));
  EXPECT_EQ(v.m_nStreamKind, 1);
  EXPECT_EQ(v.m_nDurationMs, 0);
  EXPECT_EQ(v.m_bSeekable, 0);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::Live);
  EXPECT_TRUE(v.m_bSnapshotAllowed);
  EXPECT_FALSE(v.m_bLiveBuffering);
}

TEST(ApplyReplyLiveTest, SnapshotsNeedBit1VideoAndNormalIntegrity) {
  EXPECT_FALSE(Apply(Live(0x0)).m_bSnapshotAllowed);
  ReplyInputs low = Live(0x2);
  low.bNormalIntegrity = false;
  EXPECT_FALSE(Apply(low).m_bSnapshotAllowed);
  ReplyInputs audioOnly = Live(0x2);
  audioOnly.formats[0] = StreamFormat{};
  SessionValues v = Apply(audioOnly);
  EXPECT_TRUE(v.m_bAudioOnly);
  EXPECT_FALSE(v.m_bAudioWithVideo);
  EXPECT_FALSE(v.m_bSnapshotAllowed);
}

TEST(ApplyReplyLiveTest, Bit0AsksForLiveBufferingOnLiveStreamsOnly) {
  EXPECT_TRUE(Apply(Live(0x1)).m_bLiveBuffering);
  ReplyInputs stored = Stored(0x1);
  EXPECT_FALSE(Apply(stored).m_bLiveBuffering);
}

TEST(ApplyReplyTimeShiftTest, ReplyWithWindowFlagsAndWordsPlaysInMode3) {
  ReplyInputs in = Live(0x6 | (30u << 16));
  in.formats[0] = Video(320, 240, (120u << 16) | 30u);
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::LiveTimeShift);
  EXPECT_EQ(v.m_bSeekable, 1);
  EXPECT_TRUE(v.m_bSeekable != 0);
  EXPECT_EQ(v.m_nTimeShiftLength, 30);
  EXPECT_EQ(v.m_nTimeShiftMax, 120);
  EXPECT_EQ(v.m_nTimeShiftPosition, 0);
  EXPECT_EQ(v.m_llTimeShiftTotalTime, 30LL * 10000000);
  EXPECT_EQ(v.m_nDurationMs, 0);
}

TEST(ApplyReplyTimeShiftTest, WindowNeedsLength15MaximumOf60AndTotalSeconds) {
  ReplyInputs shortWindow = Live(0x4 | (30u << 16));
  shortWindow.formats[0] = Video(320, 240, (120u << 16) | 14u);
  EXPECT_EQ(Apply(shortWindow).m_nPlaybackMode, protocol::Live);
  ReplyInputs smallMax = Live(0x4 | (30u << 16));
  smallMax.formats[0] = Video(320, 240, (59u << 16) | 30u);
  EXPECT_EQ(Apply(smallMax).m_nPlaybackMode, protocol::Live);
  ReplyInputs noTotal = Live(0x4);
  noTotal.formats[0] = Video(320, 240, (120u << 16) | 30u);
  EXPECT_EQ(Apply(noTotal).m_nPlaybackMode, protocol::Live);
  ReplyInputs noFlag = Live(30u << 16);
  noFlag.formats[0] = Video(320, 240, (120u << 16) | 30u);
  EXPECT_EQ(Apply(noFlag).m_nPlaybackMode, protocol::Live);
}

TEST(ApplyReplyTimeShiftTest, AudioRecordCarriesTheWindowWhenThereIsNoVideo) {
  ReplyInputs in = Live(0x4 | (40u << 16));
  in.formats[0] = StreamFormat{};
  in.formats[1] = Audio((90u << 16) | 20u);
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::LiveTimeShift);
  EXPECT_EQ(v.m_nTimeShiftLength, 20);
  EXPECT_EQ(v.m_nTimeShiftMax, 90);
  EXPECT_EQ(v.m_llTimeShiftTotalTime, 40LL * 10000000);
}

TEST(ApplyReplyTimeShiftTest, LiveStreamChangeWithTimeTakesTheFramesWords) {
  ReplyInputs in = Live(0x2);
  in.streamChange = Change(0, 120, 45, 47);
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::LiveTimeShift);
  EXPECT_EQ(v.m_bSeekable, 1);
  EXPECT_EQ(v.m_nTimeShiftMax, 120);
  EXPECT_EQ(v.m_nTimeShiftLength, 45);
  EXPECT_EQ(v.m_llTimeShiftTotalTime, 47LL * 10000000);
}

TEST(ApplyReplyTimeShiftTest, StoredStreamChangePlaysFromTheWindowWithTheCarriedSeconds) {
  ReplyInputs in = Stored(40000);
  in.streamChange = Change(10, 120, 40, 40);
  in.nTimeShiftCarrySec = 3;
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::TimeShiftPlayback);
  EXPECT_TRUE(v.m_bTimeShiftCanSwitchToLive);
  EXPECT_EQ(v.m_nTimeShiftPosition, 3 + 10 + 1);
  EXPECT_EQ(v.m_nTimeShiftLength, 40 + 3 + 1);
  EXPECT_EQ(v.m_nTimeShiftMax, 120);
}

TEST(ApplyReplyTimeShiftTest, CarriedLengthStopsAtTheMaximum) {
  ReplyInputs in = Stored(40000);
  in.streamChange = Change(10, 120, 119, 119);
  in.nTimeShiftCarrySec = 5;
  EXPECT_EQ(Apply(in).m_nTimeShiftLength, 120);
}

TEST(ApplyReplyTimeShiftTest, FlagBit0MeansNoWayBackToLiveAndNoCarry) {
  ReplyInputs in = Stored(40000);
  in.streamChange = Change(10, 120, 40, 40, 1);
  in.nTimeShiftCarrySec = 3;
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::TimeShiftPlayback);
  EXPECT_FALSE(v.m_bTimeShiftCanSwitchToLive);
  EXPECT_EQ(v.m_nTimeShiftPosition, 10);
  EXPECT_EQ(v.m_nTimeShiftLength, 40);
}

TEST(ApplyReplyPlayListTest, LivePlayListTakesTheGenerationAndNoLiveBufferingOrSnapshots) {
  ReplyInputs in = Live(0x3);
  in.nResourceKind = kPlayList;
  in.status.playlistGeneration = 7;
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nPlayListGeneration, 7);
  EXPECT_EQ(v.m_nStreamKind, 1);
  EXPECT_FALSE(v.m_bLiveBuffering);
  EXPECT_FALSE(v.m_bSnapshotAllowed);
  EXPECT_EQ(v.m_nDurationMs, 3);  // a playlist keeps its server flags
  EXPECT_EQ(v.m_nPlaybackMode, protocol::Live);
}

TEST(ApplyReplyPlayListTest, StoredPlayListEntryKeepsItsDuration) {
  ReplyInputs in = Stored(2000);
  in.nResourceKind = kPlayList;
  in.status.playlistGeneration = 2;
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nStreamKind, 0);
  EXPECT_EQ(v.m_nPlayListGeneration, 0);
  EXPECT_EQ(v.m_nDurationMs, 2000);
  EXPECT_EQ(v.m_nPlaybackMode, protocol::Stored);
}

// A broken or hostile server's video description never leaves a zero picture size behind.
TEST(ApplyReplyPictureTest, AbsentVideoGivesTheAudioOnlySize) {
  ReplyInputs in = Stored(1000);
  in.formats[0] = StreamFormat{};
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nVideoWidth, kNoVideoWidth);
  EXPECT_EQ(v.m_nVideoHeight, kNoVideoHeight);
}

TEST(ApplyReplyPictureTest, BlockShorterThanTheBitmapHeaderCountsAsNoPicture) {
  for (size_t size : {0u, 40u, 55u, 59u}) {
    ReplyInputs in = Stored(1000);
    in.formats[0].formatBlock.resize(size);
    SessionValues v = Apply(in);
    EXPECT_EQ(v.m_nVideoWidth, kNoVideoWidth) << size;
    EXPECT_EQ(v.m_nVideoHeight, kNoVideoHeight) << size;
  }
}

TEST(ApplyReplyPictureTest, FormatTypeWithoutBitmapHeaderCountsAsNoPicture) {
  ReplyInputs in = Stored(1000);
  in.formats[0].type.formatType = protocol::FORMAT_WaveFormatEx;
  SessionValues v = Apply(in);
  EXPECT_EQ(v.m_nVideoWidth, kNoVideoWidth);
  EXPECT_EQ(v.m_nVideoHeight, kNoVideoHeight);
  EXPECT_FALSE(v.m_bAudioOnly);
}

TEST(ApplyReplyPictureTest, ZeroOrNegativeSizeCountsAsNoPicture) {
  for (auto [w, h] : {std::pair{0, 240}, std::pair{320, 0}, std::pair{-320, 240}, std::pair{320, -240}}) {
    ReplyInputs in = Stored(1000);
    in.formats[0] = Video(w, h);
    SessionValues v = Apply(in);
    EXPECT_EQ(v.m_nVideoWidth, kNoVideoWidth) << w << "x" << h;
    EXPECT_EQ(v.m_nVideoHeight, kNoVideoHeight) << w << "x" << h;
  }
}

}  // namespace
}  // namespace zm::session
