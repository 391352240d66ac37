// The negotiation against the reference server: the request for every resource kind in both
// protocol versions, the reply applied to the session, refusals and faults of the server.
// Request texts byte for byte and the reply's effects one by one are proven in tests/native.
#include "negotiation_fixture.h"

namespace zm::session::test {
namespace {

constexpr int32_t kLiveDirect = 1;
constexpr int32_t kFile = 2;
constexpr int32_t kPlayList = 4;

PlayerSettings WithKind(PlayerSettings fields, int32_t kind, std::wstring name, std::wstring address = L"") {
  fields.m_nResourceKind = kind;
  if (kind == kLiveDirect) fields.m_sSourceNumber = name, fields.m_sSourceAddr = address;
  if (kind == kFile) fields.m_sFile = name;
  if (kind == kPlayList) fields.m_sPlayListFolder = name;
  return fields;
}

TEST_F(NegotiationTest, EachKindIsAskedForInProtocol80AndTheReplyIsApplied) {
  const struct {
    PlayerSettings settings;
    std::string request;
    std::wstring mediaName;
    int32_t mode, seekable, durationMs, syncWithFileCalls;
  } cases[] = {
      {Alias(L"testcard"), "/ZAMS80/0000live-alias:testcard", L"testcard", protocol::Live, 0, 0, 0},
      {WithKind(Fields(), kLiveDirect, L"1", L"10.1.2.3"), "/ZAMS80/0000live-direct:1@10.1.2.3", L"1@10.1.2.3",
       protocol::Live, 0, 0, 0},
      {WithKind(Fields(), kFile, L"testcard.zmf"), "/ZAMS80/0000file:testcard.zmf", L"testcard.zmf", protocol::Stored,
       1, 10000, 1},
      {Alias(L"timeshift"), "/ZAMS80/0000live-alias:timeshift", L"timeshift", protocol::LiveTimeShift, 1, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
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
  PlayerSettings fields = WithKind(Fields(), kPlayList, L"testlist");
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
  const std::pair<PlayerSettings, std::string> cases[] = {
      {Alias(L"testcard#version25"), "live-alias:testcard#version25"},
      {WithKind(Fields(), kLiveDirect, L"1", L"src#version25"), "live-direct:1@src#version25"},
      {WithKind(Fields(), kFile, L"testcard.zmf#version25"), "file:testcard.zmf#version25"},
      {WithKind(Fields(), kPlayList, L"testlist#version25"), "playlist:0:testlist#version25"}};
  for (const auto& [settings, request] : cases) {
    NegotiationRun run = Run(settings);
    EXPECT_TRUE(run.result) << request;
    EXPECT_EQ(request, run.request);
    EXPECT_EQ(25, run.protocolVersion) << request;
  }
}

TEST_F(NegotiationTest, NameCarryingAnAuthenticationMarkerIsRefusedBeforeConnecting) {
  PlayerSettings file = WithKind(Fields(), kFile, L"testcard.zmf///HASH:daf19fe9c9a9b55e298f9c8425e0d927b7860f9e");
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

// No message source knows the client's own codes (RecordingSite), so for those the transport's
// text says what was wrong. A refused TCP connection or a wrong magic asks for HTTP (transport 1),
// which the site does not give.
TEST_F(NegotiationTest, RefusalsAndBrokenServersEndWithTheirKindCodeAndText) {
  const struct {
    const wchar_t* alias;
    uint16_t port;  // 0: the server's
    int32_t errorType, errorId;
    const wchar_t* text;
    std::vector<int32_t> transports;
  } cases[] = {
      {L"nothing-here", 0, 2, static_cast<int32_t>(0x80070002), L"code 0x80070002", {}},
      {L"testcard#result=0x80004005",
       0,
       2,
       static_cast<int32_t>(0x80004005),
       L"Server can not render this media source.\nExtended error: code 0x80004005",
       {}},
      {L"testcard#wrong-magic", 0, 2, static_cast<int32_t>(0x8FFF0538), L"Unrecognized response from Server", {1}},
      {L"testcard", 1, 1, 1004, L"Media Server doesn't respond", {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alias);
    site_ = RecordingSite();
    PlayerSettings fields = Alias(c.alias);
    if (c.port) fields.m_nServerPort = c.port;
    NegotiationRun run = Run(fields);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(c.errorType, run.session.m_nErrorType);
    EXPECT_EQ(c.errorId, run.session.m_nErrorID);
    EXPECT_EQ(c.text, run.errorText);
    EXPECT_EQ(c.transports, site_.requestedTransports);
    EXPECT_EQ(0, run.settings.m_nTransport);
    EXPECT_TRUE(run.dialogFirstAttempts.empty());
  }
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
  // The site gives no HTTPS transport: a connection failure that says so.
  EXPECT_FALSE(run.result);
  EXPECT_EQ(1, run.session.m_nErrorType);
  EXPECT_EQ(1004, run.session.m_nErrorID);
  EXPECT_EQ(L"This transport is not available", run.errorText);
  EXPECT_EQ(std::vector<int32_t>{2}, site_.requestedTransports);
}

}  // namespace
}  // namespace zm::session::test
