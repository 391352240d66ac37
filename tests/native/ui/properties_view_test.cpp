// The properties dialog's texts: durations, modes, a missing stream, and the transmission
// figures through buffering, a gap without transport and the streams' end.
#include "ui/properties_view.h"

#include <gtest/gtest.h>

namespace zm::ui {
namespace {

TEST(PropertiesViewTest, DurationsReadInHoursMinutesAndSeconds) {
  struct Case {
    int32_t ms;
    const wchar_t* text;
  } cases[] = {
      {3725000, L"01 hr, 02 min, 05 sec"},  {59000, L"59 sec"}, {59999, L"59 sec"},
      {60000, L"01 min, 00 sec"},           {999, L"Unknown"},  {0, L"Unknown"},
      {90000000, L"25 hr, 00 min, 00 sec"},  // not wrapped within the day
      {-1, L"1193 hr, 02 min, 47 sec"},      // the server's field is unsigned
  };
  for (const Case& c : cases) EXPECT_EQ(DurationText(c.ms), c.text) << c.ms;
}

TEST(PropertiesViewTest, HeaderNamesServerProtocolModeAndTheMissingStream) {
  session::PlayerSettings settings;
  settings.m_sServerAddr = L"media.example";
  settings.m_nServerPort = 8554;
  settings.m_nTransport = protocol::RtpMulticast;
  settings.m_nResourceKind = protocol::LiveAlias;
  session::SessionValues session;
  session.m_sMediaName = L"testcard";
  session.m_nStreamKind = 1;
  session.m_bLiveBuffering = true;
  session.m_bAudioOnly = true;
  PropertiesHeader h = DescribeSessionHeader(settings, session);
  EXPECT_EQ(h.title, L"Properties");
  EXPECT_EQ(h.server, L"media.example:8554");
  EXPECT_EQ(h.protocol, L"RTP (UDP) Multicast");
  EXPECT_EQ(h.mode, L"Live, Non Real Time");
  EXPECT_FALSE(h.videoFiguresShown);
  EXPECT_TRUE(h.audioFiguresShown);
  EXPECT_EQ(h.video.title, L"No video stream found");

  settings.m_nResourceKind = protocol::LiveLocal;
  settings.m_nTransport = 7;
  session.m_nStreamKind = 0;
  session.m_bAudioOnly = false;  // video alone
  session.m_bAudioDecoderMissing = true;
  h = DescribeSessionHeader(settings, session);
  EXPECT_EQ(h.server, L"No server - local preview");
  EXPECT_EQ(h.protocol, L"");
  EXPECT_EQ(h.mode, L"File");
  EXPECT_EQ(h.title, L"Properties   ...No audio decoder found. Playing video only...");
  EXPECT_TRUE(h.videoFiguresShown);
  EXPECT_FALSE(h.audioFiguresShown);
  EXPECT_EQ(h.audio.title, L"No audio stream found");
}

TEST(PropertiesViewTest, TransmissionFiguresFollowBufferingGapsAndTheEnd) {
  TransmissionFigures figures;
  TransmissionView v = figures.Update({});
  EXPECT_EQ(v.bitRate, L"0.0 kByte/s") << "nothing sampled yet reads as nothing received";

  v = figures.Update({false, true, 40, session::ReceivedFigures{51200, 25, {}}, 1500, 12});
  EXPECT_EQ(v.group, L"Transmission - in progress. Buffering: 40%. Playback paused");
  EXPECT_TRUE(v.barsRed);
  EXPECT_EQ(v.bitRate, L"50.0 kByte/s");
  EXPECT_EQ(v.frameRate, L"25 fps");
  EXPECT_EQ(v.videoFill, 1000) << "the bar stops at the channel's capacity";
  EXPECT_EQ(v.videoCount, L"1500");
  EXPECT_EQ(v.audioFill, 12);

  v = figures.Update({false, true, -3, std::nullopt, 0, 0});
  EXPECT_EQ(v.group, L"Transmission - in progress. Buffering: 0%. Playback paused");
  EXPECT_EQ(v.bitRate, L"50.0 kByte/s") << "without a transport the last figures stay";

  v = figures.Update({true, false, 0, session::ReceivedFigures{4096, 3, {}}, 0, 0});
  EXPECT_EQ(v.group, L"Transmission - finished");
  EXPECT_FALSE(v.barsRed);
  EXPECT_EQ(v.bitRate, L"0.0 kByte/s");
  EXPECT_FALSE(v.frameRateShown);
  v = figures.Update({false, false, 0, session::ReceivedFigures{2048, 3, {}}, 0, 0});
  EXPECT_EQ(v.group, L"Transmission - in progress");
  EXPECT_EQ(v.bitRate, L"2.0 kByte/s");
  EXPECT_FALSE(v.frameRateShown) << "the frame rate stays hidden once the streams ended";
  EXPECT_EQ(v.reception, L"") << "not over RTP";

  session::ReceivedFigures rtp{1024, 25, protocol::RtpReceptionFigures{1000, 980, 20, 15, 7}};
  v = figures.Update({false, false, 0, rtp, 0, 0});
  EXPECT_EQ(v.reception, L"RTP packets: 980 received, 20 lost, 15 recovered; jitter 7 ms");
  EXPECT_EQ(figures.Update({}).reception, v.reception) << "kept without a transport";
}

}  // namespace
}  // namespace zm::ui
