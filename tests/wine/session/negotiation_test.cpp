// The negotiation against the reference server: the request for every resource kind in both
// protocol versions, the reply applied to the session, refusals and faults of the server.
#include <winsock2.h>

#include "negotiation_fixture.h"

namespace zm::session::test {
namespace {

constexpr int32_t kLiveDirect = 1;
constexpr int32_t kFile = 2;
constexpr int32_t kPlayList = 4;

PlayerSettings WithKind(PlayerSettings fields, int32_t kind) {
  fields.m_nResourceKind = kind;
  return fields;
}

// Requests: the texts on the wire and what the server makes of them.

TEST_F(NegotiationTest, EachKindIsAskedForInProtocol80AndTheReplyIsApplied) {
  PlayerSettings direct = WithKind(Fields(), kLiveDirect);
  direct.m_sSourceNumber = L"1";
  direct.m_sSourceAddr = L"10.1.2.3";
  PlayerSettings file = WithKind(Fields(), kFile);
  file.m_sFile = L"testcard.zmf";
  const struct {
    PlayerSettings settings;
    std::string request;
    std::wstring mediaName;
    int32_t mode, seekable, durationMs, syncWithFileCalls;
  } cases[] = {
      {Alias(L"testcard"), "/ZAMS80/0000live-alias:testcard", L"testcard", protocol::Live, 0, 0, 0},
      {direct, "/ZAMS80/0000live-direct:1@10.1.2.3", L"1@10.1.2.3", protocol::Live, 0, 0, 0},
      {file, "/ZAMS80/0000file:testcard.zmf", L"testcard.zmf", protocol::Stored, 1, 10000, 1},
      {Alias(L"timeshift"), "/ZAMS80/0000live-alias:timeshift", L"timeshift", protocol::LiveTimeShift, 1, 0, 0},
  };
  for (const auto& c : cases) {
    site_ = RecordingSite();
    NegotiationRun run = Run(c.settings);
    ASSERT_TRUE(run.result) << run.errorText;
    EXPECT_EQ(c.request, run.request);
    EXPECT_EQ(80, run.protocolVersion);
    EXPECT_EQ(c.mediaName, run.session.m_sMediaName);
    EXPECT_EQ(c.mode, run.session.m_nPlaybackMode);
    EXPECT_EQ(c.seekable, run.session.m_bSeekable);
    EXPECT_EQ(c.durationMs, run.session.m_nDurationMs);
    EXPECT_EQ(std::vector<int32_t>{c.mode}, site_.flowModes);
    EXPECT_EQ(c.seekable != 0, site_.flowSeekable);
    EXPECT_EQ(c.syncWithFileCalls, site_.syncWithFileCalls);
    EXPECT_EQ(320, run.session.m_nVideoWidth);
    EXPECT_TRUE(run.session.m_bAudioWithVideo);
    if (c.mode == protocol::LiveTimeShift) {
      EXPECT_EQ(120, run.session.m_nTimeShiftMax);
      EXPECT_GE(run.session.m_nTimeShiftLength, 30);
      EXPECT_EQ(int64_t{run.session.m_nTimeShiftLength} * 10000000, run.session.m_llTimeShiftTotalTime);
    }
  }
}

TEST_F(NegotiationTest, PlayListEntryTakesItsNameAndListFromTheServersString) {
  PlayerSettings fields = WithKind(Fields(), kPlayList);
  fields.m_sPlayListFolder = L"testlist";
  NegotiationRun run = Run(fields);
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ("/ZAMS80/0000playlist:0:testlist", run.request);
  EXPECT_EQ(L"alpha.zmf", run.session.m_sMediaName);
  EXPECT_EQ(1, site_.playListCalls);
  EXPECT_EQ(
      L"<xml><playlist type=\"alphabetical\"><file>alpha.zmf</file><file>beta.zmf</file>"
      L"<file>gamma.zmf</file></playlist>",
      site_.playListXml);
  EXPECT_EQ(L"testlist", site_.playListFolder);
  EXPECT_EQ(0, site_.playListItem);
  EXPECT_EQ(2000, run.session.m_nDurationMs);
  EXPECT_EQ(protocol::Stored, run.session.m_nPlaybackMode);
  // Later entries name themselves only: the list is already known.
  fields.m_nPlayListIndex = 1;
  run = Run(fields);
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ(L"beta.zmf", run.session.m_sMediaName);
  EXPECT_EQ(L"", site_.playListXml);
  EXPECT_EQ(1, site_.playListItem);
}

// A server that answers a version-80 request in version 25 gets the same request again
// without the prefix; the "#version25" suffix makes the reference server do that.
TEST_F(NegotiationTest, EveryKindIsAskedAgainInProtocol25WhenTheServerAnswers25) {
  struct Case {
    PlayerSettings settings;
    std::string request;
  };
  PlayerSettings direct = WithKind(Fields(), kLiveDirect);
  direct.m_sSourceNumber = L"1";
  direct.m_sSourceAddr = L"src#version25";
  PlayerSettings file = WithKind(Fields(), kFile);
  file.m_sFile = L"testcard.zmf#version25";
  PlayerSettings playList = WithKind(Fields(), kPlayList);
  playList.m_sPlayListFolder = L"testlist#version25";
  const Case cases[] = {{Alias(L"testcard#version25"), "live-alias:testcard#version25"},
                        {direct, "live-direct:1@src#version25"},
                        {file, "file:testcard.zmf#version25"},
                        {playList, "playlist:0:testlist#version25"}};
  for (const Case& c : cases) {
    NegotiationRun run = Run(c.settings);
    EXPECT_TRUE(run.result) << c.request;
    EXPECT_EQ(c.request, run.request);
    EXPECT_EQ(25, run.protocolVersion) << c.request;
  }
}

TEST_F(NegotiationTest, NameWithTheRequestsSeparatorsReachesTheServerAsOneName) {
  // Over TCP a name goes as it is, but for "&", which travels as "*".
  NegotiationRun run = Run(Alias(L"a b:c/d@e&f%g"));
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ("/ZAMS80/0000live-alias:a b:c/d@e*f%g", run.request);
  EXPECT_EQ(L"a b:c/d@e&f%g", run.session.m_sMediaName);

  NegotiationRun old = Run(Alias(L"a b:c/d@e&f%g#version25"));
  ASSERT_TRUE(old.result);
  EXPECT_EQ("live-alias:a b:c/d@e*f%g#version25", old.request);
}

TEST_F(NegotiationTest, NameCarryingAnAuthenticationMarkerIsRefusedBeforeConnecting) {
  PlayerSettings file = WithKind(Fields(), kFile);
  file.m_sFile = L"testcard.zmf///HASH:daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";
  NegotiationRun run = Run(file);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(1, run.session.m_nErrorType);
  EXPECT_EQ(1000, run.session.m_nErrorID);
  EXPECT_NE(std::wstring::npos, run.errorText.find(L"///HASH:"));
  EXPECT_TRUE(run.request.empty());

  NegotiationRun sid = Run(Alias(L"protected///SID:7a6d732d73657373696f6e"));
  EXPECT_FALSE(sid.result);
  EXPECT_EQ(1000, sid.session.m_nErrorID);

  // Only the name the request sends counts: a stale file name does not block a live alias.
  PlayerSettings alias = Alias(L"testcard");
  alias.m_sFile = file.m_sFile;
  EXPECT_TRUE(Run(alias).result);
}

// Run against a server that also listens on 127.0.0.1:5120 (CMakeLists.txt).
TEST_F(NegotiationTest, LiveLocalGoesToPort5120InProtocol25WithoutCredentials) {
  CacheDigest(kRightDigest);
  PlayerSettings fields = Fields();
  fields.m_nResourceKind = 7;  // out of range: a live-local request, stored back as such
  fields.m_sSourceNumber = L"1";
  NegotiationRun run = Run(fields);
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ(5, run.settings.m_nResourceKind);
  EXPECT_EQ(0u, run.request.find("1CompSid:"));
  EXPECT_EQ(std::string::npos, run.request.find("///"));
  EXPECT_EQ(25, run.protocolVersion);
  EXPECT_EQ(L"1", run.session.m_sMediaName);
  EXPECT_EQ(protocol::Live, run.session.m_nPlaybackMode);
}

// Refusals and broken servers.

TEST_F(NegotiationTest, UnknownNameEndsWithTheServersCodeAndItsText) {
  NegotiationRun run = Run(Alias(L"nothing-here"));
  EXPECT_FALSE(run.result);
  EXPECT_EQ(2, run.session.m_nErrorType);
  EXPECT_EQ(static_cast<int32_t>(0x80070002), run.session.m_nErrorID);
  EXPECT_EQ(L"code 0x80070002", run.errorText);
  EXPECT_TRUE(run.dialogFirstAttempts.empty());
}

TEST_F(NegotiationTest, ServerThatCannotRenderSaysSoWithTheExtendedError) {
  NegotiationRun run = Run(Alias(L"testcard#result=0x80004005"));
  EXPECT_FALSE(run.result);
  EXPECT_EQ(static_cast<int32_t>(0x80004005), run.session.m_nErrorID);
  EXPECT_EQ(L"Server can not render this media source.\nExtended error: code 0x80004005", run.errorText);
}

TEST_F(NegotiationTest, WrongMagicWithoutAnHttpTransportEndsWithItsCode) {
  NegotiationRun run = Run(Alias(L"testcard#wrong-magic"));
  EXPECT_FALSE(run.result);
  EXPECT_EQ(std::vector<int32_t>{1}, site_.requestedTransports);  // the HTTP fallback was asked for
  EXPECT_EQ(0, run.settings.m_nTransport);
  EXPECT_EQ(2, run.session.m_nErrorType);
  EXPECT_EQ(static_cast<int32_t>(0x8FFF0538), run.session.m_nErrorID);
  // No message source knows the client's own code: the transport's text says what was wrong.
  EXPECT_EQ(L"Unrecognized response from Server", run.errorText);
}

TEST_F(NegotiationTest, RefusedConnectionEndsAsAConnectionFailure) {
  // A port nobody listens on: bound, then closed again.
  WSADATA wsa;
  ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(0, bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address));
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  WSACleanup();

  PlayerSettings fields = Alias(L"testcard");
  fields.m_nServerPort = ntohs(address.sin_port);
  NegotiationRun run = Run(fields);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(1, run.session.m_nErrorType);
  EXPECT_EQ(1004, run.session.m_nErrorID);
  EXPECT_EQ(L"Media Server doesn't respond", run.errorText);
  EXPECT_EQ(std::vector<int32_t>{1}, site_.requestedTransports);
}

TEST_F(NegotiationTest, PortZeroBecomesTheTransportsDefaultAndIsStoredBack) {
  PlayerSettings tcp = Alias(L"testcard");
  tcp.m_nServerPort = 0;
  NegotiationRun stopped = Run(tcp, {}, true);  // stopped before the first attempt
  EXPECT_EQ(5119, stopped.settings.m_nServerPort);
  EXPECT_FALSE(stopped.result);
  EXPECT_TRUE(site_.flowModes.empty());

  PlayerSettings https = Alias(L"testcard");
  https.m_nServerPort = 0;
  https.m_nTransport = 2;
  NegotiationRun run = Run(https);
  EXPECT_EQ(443, run.settings.m_nServerPort);
  // No HTTPS transport in the control yet: a connection failure that says so.
  EXPECT_FALSE(run.result);
  EXPECT_EQ(1, run.session.m_nErrorType);
  EXPECT_EQ(1004, run.session.m_nErrorID);
  EXPECT_EQ(L"This transport is not available", run.errorText);
  EXPECT_EQ(std::vector<int32_t>{2}, site_.requestedTransports);
}

// The server's stream description is input: a spoiled video format leaves the size of a
// stream without a picture, never 0; a top-down bitmap keeps its size.
TEST_F(NegotiationTest, SpoiledVideoFormatGivesTheNoPictureSize) {
  const struct {
    const wchar_t* fault;
    int32_t width, height;
  } cases[] = {{L"short", 250, 30}, {L"untyped", 250, 30}, {L"zero-width", 250, 30}, {L"negative-height", 320, 240}};
  for (const auto& c : cases) {
    NegotiationRun run = Run(Alias(std::wstring(L"testcard#video-format=") + c.fault));
    ASSERT_TRUE(run.result) << run.errorText;
    EXPECT_EQ(c.width, run.session.m_nVideoWidth);
    EXPECT_EQ(c.height, run.session.m_nVideoHeight);
    EXPECT_FALSE(run.session.m_bAudioOnly);
    EXPECT_TRUE(run.session.m_bAudioWithVideo);
  }
}

}  // namespace
}  // namespace zm::session::test
