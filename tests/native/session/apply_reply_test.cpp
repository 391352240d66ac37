#include "session/apply_reply.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::StreamFormat;

void Put(std::vector<uint8_t>& block, size_t at, uint64_t value, size_t size) {
  if (block.size() < at + size) block.resize(at + size);
  for (size_t i = 0; i < size; ++i) block[at + i] = i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : 0;
}

StreamFormat Video(int32_t width, int32_t height, uint32_t temporalCompression = 0) {
  StreamFormat f;
  f.type.majorType = protocol::MEDIATYPE_Video;
  f.type.formatType = protocol::FORMAT_VideoInfo;
  f.type.temporalCompression = temporalCompression;
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
  Put(f.formatBlock, 0, 1, 18);
  return f;
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

// One reply as the negotiation applies it, with the settings and session values it reads.
struct Reply {
  protocol::ReplyStatus status;
  protocol::StreamFormatPair formats{Video(320, 240), Audio()};
  PlayerSettings settings;
  SessionValues session;
  std::optional<MediaFrame> change;

  SessionValues Apply() {
    ApplyReply(status, formats, change, settings, session);
    return session;
  }
};

Reply Stored(uint32_t durationMs) {
  Reply r;
  r.settings.m_nResourceKind = protocol::File;
  r.status.serverFlags = durationMs;
  r.status.seekable = 1;
  return r;
}

// A live reply; `window` is the time-shift word of the video record, or of the audio record
// alone when `audioOnly`.
Reply Live(uint32_t serverFlags, uint32_t window = 0, bool audioOnly = false) {
  Reply r;
  r.settings.m_nResourceKind = protocol::LiveAlias;
  r.status.resourceKind = 1;
  r.status.serverFlags = serverFlags;
  if (audioOnly) r.formats = {StreamFormat{}, Audio(window)};
  else r.formats[0] = Video(320, 240, window);
  return r;
}

// The reply that came with a stream-change frame, with the seconds carried into it.
Reply Changed(Reply r, MediaFrame change, int32_t carrySec = 0) {
  r.change = change;
  r.session.m_nTimeShiftCarrySec = carrySec;
  return r;
}

Reply With(Reply r, int32_t resourceKind, bool normalIntegrity = true) {
  r.settings.m_nResourceKind = resourceKind;
  r.settings.m_bNormalIntegrity = normalIntegrity;
  return r;
}

// What a reply makes of the session's mode, permissions and time-shift window.
struct ModeCase {
  const char* name;
  Reply reply;
  int32_t mode, seekable, durationMs, length, max, position;
  int64_t totalSeconds;
  bool snapshots, liveBuffering, canSwitchToLive;
};

TEST(ApplyReplyTest, ModesPermissionsAndWindowFollowTheReply) {
  constexpr int32_t kLive = protocol::Live;
  using protocol::LiveTimeShift;
  using protocol::TimeShiftPlayback;
  const uint32_t window = 120u << 16 | 30u;  // 30 s recorded of at most 120
  // clang-format off
  ModeCase cases[] = {
      {"stored", Stored(10000), protocol::Stored, 1, 10000, 0, 0, 0, 0, false, false, false},
      {"live with snapshots", Live(0x2), kLive, 0, 0, 0, 0, 0, 0, true, false, false},
      {"live buffering", Live(0x1), kLive, 0, 0, 0, 0, 0, 0, false, true, false},
      {"stored ignores live bits", Stored(0x3), protocol::Stored, 1, 3, 0, 0, 0, 0, false, false, false},
      {"snapshots need normal integrity", With(Live(0x2), protocol::LiveAlias, false), kLive, 0, 0, 0, 0, 0, 0, false, false, false},
      {"window from the video record", Live(0x6 | 30u << 16, window), LiveTimeShift, 1, 0, 30, 120, 0, 30, true, false, true},
      {"window needs a length of 15", Live(0x4 | 30u << 16, 120u << 16 | 14u), kLive, 0, 0, 0, 0, 0, 0, false, false, false},
      {"window needs a maximum of 60", Live(0x4 | 30u << 16, 59u << 16 | 30u), kLive, 0, 0, 0, 0, 0, 0, false, false, false},
      {"window needs total seconds", Live(0x4, window), kLive, 0, 0, 0, 0, 0, 0, false, false, false},
      {"audio record carries the window", Live(0x4 | 40u << 16, 90u << 16 | 20u, true), LiveTimeShift, 1, 0, 20, 90, 0, 40, false, false, true},
      {"live stream change with a time", Changed(Live(0x2), Change(0, 120, 45, 47)), LiveTimeShift, 1, 0, 45, 120, 0, 47, true, false, true},
      {"stored stream change carries seconds", Changed(Stored(40000), Change(10, 120, 40, 40), 3), TimeShiftPlayback, 1, 40000, 44, 120, 14, 0, false, false, true},
      {"carried length stops at the maximum", Changed(Stored(40000), Change(10, 120, 119, 119), 5), TimeShiftPlayback, 1, 40000, 120, 120, 16, 0, false, false, true},
      {"no way back to live, no carry", Changed(Stored(40000), Change(10, 120, 40, 40, 1), 3), TimeShiftPlayback, 1, 40000, 40, 120, 10, 0, false, false, false},
      {"live playlist: flags kept, no buffering or snapshots", With(Live(0x3), protocol::FilePlayList), kLive, 0, 3, 0, 0, 0, 0, false, false, false},
  };
  // clang-format on
  for (ModeCase& c : cases) {
    SessionValues v = c.reply.Apply();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(v.m_nPlaybackMode, c.mode);
    EXPECT_EQ(v.m_bSeekable, c.seekable);
    EXPECT_EQ(v.m_nDurationMs, c.durationMs);
    EXPECT_EQ(v.m_nTimeShiftLength, c.length);
    EXPECT_EQ(v.m_nTimeShiftMax, c.max);
    EXPECT_EQ(v.m_nTimeShiftPosition, c.position);
    if (c.totalSeconds) EXPECT_EQ(v.m_llTimeShiftTotalTime, c.totalSeconds * 10000000);
    EXPECT_EQ(v.m_bSnapshotAllowed, c.snapshots);
    EXPECT_EQ(v.m_bLiveBuffering, c.liveBuffering);
    EXPECT_EQ(v.m_bTimeShiftCanSwitchToLive, c.canSwitchToLive);
  }
}

TEST(ApplyReplyTest, StreamsResultAndPlaylistGenerationAreRecorded) {
  Reply refused = Stored(1);
  refused.status.result = 0x8FFF0544;
  EXPECT_EQ(static_cast<uint32_t>(refused.Apply().m_nServerResult), 0x8FFF0544u);

  SessionValues both = Stored(1).Apply();
  EXPECT_TRUE(both.m_bAudioWithVideo);
  EXPECT_FALSE(both.m_bAudioOnly);
  EXPECT_TRUE(both.m_videoType.IsPresent() && both.m_audioType.IsPresent());

  Reply audioOnly = Live(0x2);
  audioOnly.formats[0] = StreamFormat{};
  SessionValues a = audioOnly.Apply();
  EXPECT_TRUE(a.m_bAudioOnly);
  EXPECT_FALSE(a.m_bAudioWithVideo);
  EXPECT_FALSE(a.m_bSnapshotAllowed);

  Reply livePlayList = Live(0);
  livePlayList.settings.m_nResourceKind = protocol::FilePlayList;
  livePlayList.status.playlistGeneration = 7;
  EXPECT_EQ(livePlayList.Apply().m_nPlayListGeneration, 7);
  Reply storedPlayList = Stored(2000);
  storedPlayList.settings.m_nResourceKind = protocol::FilePlayList;
  storedPlayList.status.playlistGeneration = 2;
  EXPECT_EQ(storedPlayList.Apply().m_nPlayListGeneration, 0);
}

// A broken or hostile server's video description never leaves a zero picture size behind;
// a top-down bitmap (negative height) is a picture of that many rows.
TEST(ApplyReplyTest, PictureSizeOrTheNoVideoSize) {
  struct Case {
    StreamFormat video;
    int32_t width, height;
  } cases[] = {{Video(320, 240), 320, 240},
               {Video(320, -240), 320, 240},
               {StreamFormat{}, kNoVideoWidth, kNoVideoHeight},
               {Video(0, 240), kNoVideoWidth, kNoVideoHeight},
               {Video(320, 0), kNoVideoWidth, kNoVideoHeight},
               {Video(-320, 240), kNoVideoWidth, kNoVideoHeight},
               {Video(320, INT32_MIN), kNoVideoWidth, kNoVideoHeight}};
  StreamFormat shortBlock = Video(320, 240);
  shortBlock.formatBlock.resize(59);
  StreamFormat untyped = Video(320, 240);
  untyped.type.formatType = protocol::FORMAT_WaveFormatEx;
  for (const StreamFormat& broken : {shortBlock, untyped}) {
    Reply r = Stored(1000);
    r.formats[0] = broken;
    SessionValues v = r.Apply();
    EXPECT_EQ(v.m_nVideoWidth, kNoVideoWidth);
    EXPECT_EQ(v.m_nVideoHeight, kNoVideoHeight);
    EXPECT_FALSE(v.m_bAudioOnly);  // the video stream is there, only its picture header is not
  }
  for (const Case& c : cases) {
    Reply r = Stored(1000);
    r.formats[0] = c.video;
    SessionValues v = r.Apply();
    EXPECT_EQ(v.m_nVideoWidth, c.width);
    EXPECT_EQ(v.m_nVideoHeight, c.height);
  }
}

}  // namespace
}  // namespace zm::session
