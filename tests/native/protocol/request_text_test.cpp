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
  return {.resourceKind = LiveAlias, .nTransport = transport, .sLiveAlias = alias};
}
RequestSettings File(std::u16string name, int32_t transport = kTcp) {
  return {.resourceKind = ResourceKind::File, .nTransport = transport, .sFile = name};
}
RequestSettings Direct(std::u16string number, std::u16string address, int32_t transport = kTcp) {
  return {.resourceKind = LiveDirect, .nTransport = transport, .sSourceNumber = number, .sSourceAddr = address};
}
RequestSettings PlayList(std::u16string folder, int32_t item, int32_t transport = kTcp) {
  return {.resourceKind = FilePlayList, .nTransport = transport, .sPlayListFolder = folder, .nPlayListIndex = item};
}
RequestSettings Local(std::u16string number, std::u16string sid) {
  return {.resourceKind = LiveLocal, .sSourceNumber = number, .sComputerSid = sid};
}

std::string Text(const RequestSettings& s, ProtocolVersion v) { return BuildRequest(s, v, kAnsi).text; }

constexpr auto V80 = ProtocolVersion::V80;
constexpr auto V25 = ProtocolVersion::V25;

TEST(RequestText, EveryKindInBothProtocolsOverTcpAndHttp) {
  const RequestSettings local = Local(u"2", u"S-1-5-21-1004336348-1177238915-682003330");
  const std::tuple<RequestSettings, ProtocolVersion, const char*> cases[] = {
      // The plain kinds in both versions are proven against the server by the Wine negotiation
      // tests (EachKindIsAskedForInProtocol80..., EveryKindIsAskedAgainInProtocol25...).
      {File(u"movies\\clip.zms"), V80, "/ZAMS80/0000file:movies\\clip.zms"},
      {PlayList(u"shows", 12), V25, "playlist:12:shows"},
      {PlayList(u"shows", -1), V80, "/ZAMS80/0000playlist:-1:shows"},
      {PlayList(u"s", 2147483647), V25, "playlist:2147483647:s"},
      // Live-local is always the protocol-25 form.
      {local, V80, "2CompSid:S-1-5-21-1004336348-1177238915-682003330"},
      // Names are UTF-8 in protocol 80 and ANSI in 25; live-direct and live-local always ANSI.
      {File(u"Vid\u00e9o"), V80, "/ZAMS80/0000file:Vid\xC3\xA9o"},
      {File(u"Vid\u00e9o"), V25, "file:Vid\xE9o"},
      {Live(u"\u20ac"), V80, "/ZAMS80/0000live-alias:\xE2\x82\xAC"},
      {PlayList(u"\u00c5", 1), V25, "playlist:1:\xC5"},
      {Direct(u"1", u"h\u00f4te"), V80, "/ZAMS80/0000live-direct:1@h\xF4te"},
      {Local(u"1", u"S-\u00e9"), V80, "1CompSid:S-\xE9"},
      // Over TCP a name goes as it is, but for "&", which travels as "*".
      {File(u"rock&roll.zms"), V80, "/ZAMS80/0000file:rock*roll.zms"},
      {Live(u"a&&b"), V25, "live-alias:a**b"},
      {PlayList(u"x&y", 0), V25, "playlist:0:x*y"},
      {File(u"my clip%.zms"), V25, "file:my clip%.zms"},
      // Over HTTP the names of files, aliases and playlists are URL-encoded; only HTTP encodes.
      {File(u"my clip.zms", kHttp), V80, "/ZAMS80/0000file:my%20clip%2Ezms"},
      {Live(u"rock&roll", kHttp), V25, "live-alias:rock%26roll"},
      {PlayList(u"a/b", 3, kHttp), V80, "/ZAMS80/0000playlist:3:a%2Fb"},
      {File(u"Vid\u00e9o", kHttp), V25, "file:Vid%C3%A9o"},
      {Direct(u"4", u"cam host&x", kHttp), V80, "/ZAMS80/0000live-direct:4@cam host&x"},
      {File(u"a b&c", 2), V80, "/ZAMS80/0000file:a b*c"},
      {File(u"a b&c", 3), V80, "/ZAMS80/0000file:a b*c"},
      {File(u"a b&c", 4), V80, "/ZAMS80/0000file:a b*c"},
  };
  for (const auto& [settings, version, text] : cases) EXPECT_EQ(Text(settings, version), text);
}

TEST(RequestText, UnknownResourceKindIsLiveLocal) {
  for (int32_t kind : {0, 6, -1, 1000}) EXPECT_EQ(NormalizeResourceKind(kind), ResourceKind::LiveLocal) << kind;
  for (int32_t kind = 1; kind <= 5; ++kind) EXPECT_EQ(NormalizeResourceKind(kind), kind);
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

TEST(RequestText, NameCarryingTheRequestSeparatorsArrivesOverHttpAsOneName) {
  const std::u16string name = u"evil///HASH:00/ClientId/x HTTP/1.1\r\nHost: y@z:80&q=1%41\u00e9";
  AuthSettings auth;
  auth.sCredentialHash = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
  const std::string request = Text(File(name, kHttp), V80) + BuildAuthSuffix(auth, kAnsi);

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

TEST(RequestText, MediaNameIsTheNameBeforeEncodingAndAPlayListLeavesItToTheReply) {
  for (const auto& [settings, name] : {std::pair{Direct(u"3", u"h&st"), u"3@h&st"},
                                       {File(u"a b&c", kHttp), u"a b&c"},
                                       {Live(u"cam&1"), u"cam&1"},
                                       {Local(u"7", u"S-1"), u"7"}})
    EXPECT_EQ(BuildRequest(settings, V25, kAnsi).mediaName, name);
  EXPECT_FALSE(BuildRequest(PlayList(u"shows", 1), V80, kAnsi).mediaName.has_value());
}

TEST(AuthSuffix, HashOrSessionIdAsTheModeSaysWithAmpersandsAsAsterisks) {
  const std::string hash = "a9993e364706816aba3e25717850c26c9cd0d89d";
  const std::tuple<AuthMode, std::string, std::u16string, const char*> cases[] = {
      {AuthMode::PasswordHash, hash, u"ignored", "///HASH:a9993e364706816aba3e25717850c26c9cd0d89d"},
      {AuthMode::PasswordHash, "", u"ignored", ""},
      {AuthMode::PasswordHash, "ab&cd", u"", "///HASH:ab*cd"},
      {AuthMode::SessionId, hash, u"S3ss\u00e9on", "///SID:S3ss\xE9on"},
      {AuthMode::SessionId, hash, u"", "///SID:"},
      {AuthMode::SessionId, "", u"a&b&", "///SID:a*b*"},
  };
  for (const auto& [mode, digest, sessionId, suffix] : cases) {
    AuthSettings auth;
    auth.mode = mode, auth.sCredentialHash = digest, auth.sSessionID = sessionId;
    EXPECT_EQ(BuildAuthSuffix(auth, kAnsi), suffix);
  }
}

}  // namespace
}  // namespace zm::protocol
