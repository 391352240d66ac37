// Request texts byte for byte: every resource kind in both protocol versions, over TCP and
// HTTP, the authentication suffixes, and names that carry the request's own separators.
#include "protocol/request_text.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/utf8_text.h"

namespace zm::protocol {
namespace {

// Stands for a Western ANSI code page: Latin-1 bytes, "?" for what it cannot show.
std::string Latin1(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return out;
}

const AnsiEncoder kAnsi = Latin1;
constexpr int32_t kTcp = 0;
constexpr int32_t kHttp = 1;

RequestSettings Live(std::u16string alias, int32_t transport = kTcp) {
  RequestSettings s;
  s.resourceKind = ResourceKind::LiveAlias;
  s.nTransport = transport;
  s.sLiveAlias = std::move(alias);
  return s;
}

RequestSettings File(std::u16string name, int32_t transport = kTcp) {
  RequestSettings s;
  s.resourceKind = ResourceKind::File;
  s.nTransport = transport;
  s.sFile = std::move(name);
  return s;
}

RequestSettings Direct(std::u16string number, std::u16string address, int32_t transport = kTcp) {
  RequestSettings s;
  s.resourceKind = ResourceKind::LiveDirect;
  s.nTransport = transport;
  s.sSourceNumber = std::move(number);
  s.sSourceAddr = std::move(address);
  return s;
}

RequestSettings PlayList(std::u16string folder, int32_t item, int32_t transport = kTcp) {
  RequestSettings s;
  s.resourceKind = ResourceKind::FilePlayList;
  s.nTransport = transport;
  s.sPlayListFolder = std::move(folder);
  s.nPlayListIndex = item;
  return s;
}

RequestSettings Local(std::u16string number, std::u16string sid) {
  RequestSettings s;
  s.resourceKind = ResourceKind::LiveLocal;
  s.sSourceNumber = std::move(number);
  s.sComputerSid = std::move(sid);
  return s;
}

std::string Text(const RequestSettings& s, ProtocolVersion v) { return BuildRequest(s, v, kAnsi).text; }

TEST(RequestTextKinds, LiveAliasInBothProtocols) {
  EXPECT_EQ(Text(Live(u"camera1"), ProtocolVersion::V80), "/ZAMS80/0000live-alias:camera1");
  EXPECT_EQ(Text(Live(u"camera1"), ProtocolVersion::V25), "live-alias:camera1");
}

TEST(RequestTextKinds, LiveDirectInBothProtocols) {
  EXPECT_EQ(Text(Direct(u"3", u"10.0.0.5"), ProtocolVersion::V80), "/ZAMS80/0000live-direct:3@10.0.0.5");
  EXPECT_EQ(Text(Direct(u"3", u"10.0.0.5"), ProtocolVersion::V25), "live-direct:3@10.0.0.5");
}

TEST(RequestTextKinds, FileInBothProtocols) {
  EXPECT_EQ(Text(File(u"movies\\clip.zms"), ProtocolVersion::V80), "/ZAMS80/0000file:movies\\clip.zms");
  EXPECT_EQ(Text(File(u"movies\\clip.zms"), ProtocolVersion::V25), "file:movies\\clip.zms");
}

TEST(RequestTextKinds, PlayListCarriesTheItemNumberInBothProtocols) {
  EXPECT_EQ(Text(PlayList(u"shows", 0), ProtocolVersion::V80), "/ZAMS80/0000playlist:0:shows");
  EXPECT_EQ(Text(PlayList(u"shows", 12), ProtocolVersion::V25), "playlist:12:shows");
  EXPECT_EQ(Text(PlayList(u"shows", -1), ProtocolVersion::V80), "/ZAMS80/0000playlist:-1:shows");
  EXPECT_EQ(Text(PlayList(u"s", 2147483647), ProtocolVersion::V25), "playlist:2147483647:s");
}

TEST(RequestTextKinds, LiveLocalIsAlwaysTheProtocol25Form) {
  const RequestSettings local = Local(u"2", u"S-1-5-21-1004336348-1177238915-682003330");
  EXPECT_EQ(Text(local, ProtocolVersion::V25), "2CompSid:S-1-5-21-1004336348-1177238915-682003330");
  EXPECT_EQ(Text(local, ProtocolVersion::V80), "2CompSid:S-1-5-21-1004336348-1177238915-682003330");
}

TEST(RequestTextKinds, UnknownResourceKindIsLiveLocal) {
  for (int32_t kind : {0, 6, -1, 1000}) EXPECT_EQ(NormalizeResourceKind(kind), ResourceKind::LiveLocal) << kind;
  EXPECT_EQ(NormalizeResourceKind(1), ResourceKind::LiveDirect);
  EXPECT_EQ(NormalizeResourceKind(2), ResourceKind::File);
  EXPECT_EQ(NormalizeResourceKind(3), ResourceKind::LiveAlias);
  EXPECT_EQ(NormalizeResourceKind(4), ResourceKind::FilePlayList);
  EXPECT_EQ(NormalizeResourceKind(5), ResourceKind::LiveLocal);
}

TEST(RequestTextCharacterSets, NamesAreUtf8InProtocol80AndAnsiInProtocol25) {
  EXPECT_EQ(Text(File(u"Vid\u00e9o"), ProtocolVersion::V80), "/ZAMS80/0000file:Vid\xC3\xA9o");
  EXPECT_EQ(Text(File(u"Vid\u00e9o"), ProtocolVersion::V25), "file:Vid\xE9o");
  EXPECT_EQ(Text(Live(u"\u20ac"), ProtocolVersion::V80), "/ZAMS80/0000live-alias:\xE2\x82\xAC");
  EXPECT_EQ(Text(PlayList(u"\u00c5", 1), ProtocolVersion::V25), "playlist:1:\xC5");
}

TEST(RequestTextCharacterSets, LiveDirectAndLiveLocalAreAnsiEvenInProtocol80) {
  EXPECT_EQ(Text(Direct(u"1", u"h\u00f4te"), ProtocolVersion::V80), "/ZAMS80/0000live-direct:1@h\xF4te");
  EXPECT_EQ(Text(Local(u"1", u"S-\u00e9"), ProtocolVersion::V80), "1CompSid:S-\xE9");
}

TEST(RequestTextOverTcp, AmpersandInANameTravelsAsAsterisk) {
  EXPECT_EQ(Text(File(u"rock&roll.zms"), ProtocolVersion::V80), "/ZAMS80/0000file:rock*roll.zms");
  EXPECT_EQ(Text(Live(u"a&&b"), ProtocolVersion::V25), "live-alias:a**b");
  EXPECT_EQ(Text(PlayList(u"x&y", 0), ProtocolVersion::V25), "playlist:0:x*y");
}

TEST(RequestTextOverTcp, NamesAreNotUrlEncoded) {
  EXPECT_EQ(Text(File(u"my clip%.zms"), ProtocolVersion::V25), "file:my clip%.zms");
}

TEST(RequestTextOverHttp, NamesAreUrlEncoded) {
  EXPECT_EQ(Text(File(u"my clip.zms", kHttp), ProtocolVersion::V80), "/ZAMS80/0000file:my%20clip%2Ezms");
  EXPECT_EQ(Text(Live(u"rock&roll", kHttp), ProtocolVersion::V25), "live-alias:rock%26roll");
  EXPECT_EQ(Text(PlayList(u"a/b", 3, kHttp), ProtocolVersion::V80), "/ZAMS80/0000playlist:3:a%2Fb");
  EXPECT_EQ(Text(File(u"Vid\u00e9o", kHttp), ProtocolVersion::V25), "file:Vid%C3%A9o");
}

TEST(RequestTextOverHttp, LiveDirectAndLiveLocalAreNotEncoded) {
  EXPECT_EQ(Text(Direct(u"4", u"cam host&x", kHttp), ProtocolVersion::V80), "/ZAMS80/0000live-direct:4@cam host&x");
}

TEST(RequestTextOtherTransports, OnlyHttpEncodesNames) {
  for (int32_t transport : {0, 2, 3, 4})
    EXPECT_EQ(Text(File(u"a b&c", transport), ProtocolVersion::V80), "/ZAMS80/0000file:a b*c") << transport;
}

// Reads back a URL-encoded name the way the server does: "%XX" to bytes, everything else as is.
std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

TEST(RequestTextOverHttp, NameCarryingTheRequestSeparatorsArrivesAsOneName) {
  const std::u16string name = u"evil///HASH:00/ClientId/x HTTP/1.1\r\nHost: y@z:80&q=1%41\u00e9";
  AuthSettings auth;
  auth.sCredentialHash = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
  const std::string request =
      Text(File(name, kHttp), ProtocolVersion::V80) + BuildAuthSuffix(auth, kAnsi);

  const std::string prefix = "/ZAMS80/0000file:";
  ASSERT_EQ(request.compare(0, prefix.size(), prefix), 0);
  const size_t suffix = request.find("///HASH:");
  ASSERT_NE(suffix, std::string::npos);
  EXPECT_EQ(request.rfind("///HASH:"), suffix) << "the name must not hold a second marker";
  const std::string wireName = request.substr(prefix.size(), suffix - prefix.size());
  for (char c : std::string_view(" /:@&\r\n*")) EXPECT_EQ(wireName.find(c), std::string::npos) << "separator " << c;
  EXPECT_EQ(PercentDecode(wireName), Utf16ToUtf8(name));
  EXPECT_EQ(request.substr(suffix), "///HASH:da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(RequestTextMediaName, IsTheNameBeforeEncoding) {
  EXPECT_EQ(BuildRequest(Direct(u"3", u"h&st"), ProtocolVersion::V80, kAnsi).mediaName, u"3@h&st");
  EXPECT_EQ(BuildRequest(File(u"a b&c", kHttp), ProtocolVersion::V80, kAnsi).mediaName, u"a b&c");
  EXPECT_EQ(BuildRequest(Live(u"cam&1"), ProtocolVersion::V25, kAnsi).mediaName, u"cam&1");
  EXPECT_EQ(BuildRequest(Local(u"7", u"S-1"), ProtocolVersion::V25, kAnsi).mediaName, u"7");
}

TEST(RequestTextMediaName, PlayListLeavesItToTheReply) {
  EXPECT_FALSE(BuildRequest(PlayList(u"shows", 1), ProtocolVersion::V80, kAnsi).mediaName.has_value());
}

TEST(AuthSuffix, PasswordHashModeSendsTheHash) {
  AuthSettings auth;
  auth.sCredentialHash = "a9993e364706816aba3e25717850c26c9cd0d89d";
  auth.sSessionID = u"ignored";
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "///HASH:a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(AuthSuffix, PasswordHashModeWithoutAHashSendsNothing) {
  AuthSettings auth;
  auth.sSessionID = u"ignored";
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "");
}

TEST(AuthSuffix, SessionIdModeSendsTheSessionIdInAnsi) {
  AuthSettings auth;
  auth.mode = AuthMode::SessionId;
  auth.sCredentialHash = "a9993e364706816aba3e25717850c26c9cd0d89d";
  auth.sSessionID = u"S3ss\u00e9on";
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "///SID:S3ss\xE9on");
  auth.sSessionID.clear();
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "///SID:");
}

TEST(AuthSuffix, AmpersandBecomesAsterisk) {
  AuthSettings auth;
  auth.mode = AuthMode::SessionId;
  auth.sSessionID = u"a&b&";
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "///SID:a*b*");
  auth.mode = AuthMode::PasswordHash;
  auth.sCredentialHash = "ab&cd";
  EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), "///HASH:ab*cd");
}

}  // namespace
}  // namespace zm::protocol
