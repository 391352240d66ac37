// The password exchange of the negotiation against the reference server's protected alias:
// the dialog's answers, the credential cache consulted and updated, and the session id.
#include "negotiation_fixture.h"

#include "com/code_page_text.h"
#include "session/credential_hash.h"

namespace zm::session::test {
namespace {

std::string SuffixOf(const std::string& request) {
  const size_t at = request.find("///");
  return at == std::string::npos ? std::string() : request.substr(at);
}

TEST_F(NegotiationTest, PasswordsCacheAndSessionIdOpenTheProtectedAliasOrEndWithTheServersCode) {
  const std::string right = "///HASH:" + com::WideToCodePage(kRightDigest, CP_UTF8);
  const std::string wrong = "///HASH:" + HashCredentials(u"viewer", u"guess").value_or("?");
  const std::wstring refused = L"1111111111111111111111111111111111111111";
  constexpr int32_t kRefused = static_cast<int32_t>(0x8FFF0544), kNeeded = static_cast<int32_t>(0x8FFF0543);
  const struct {
    const char* name;
    std::wstring cached;  // the cache's record for the server before the run
    std::deque<DialogAnswer> answers;
    const wchar_t* sessionId;  // with AuthMode 2
    int32_t errorId;           // 0: opened
    std::vector<BOOL> asked;   // the dialog's firstAttempt, once a showing
    std::string suffix;
    std::wstring cachedAfter;
    int32_t authModeAfter;
  } cases[] = {
      {"right password, not remembered", L"", {kRightPassword}, nullptr, 0, {TRUE}, right, L"", 1},
      {"wrong, then asked again", L"", {kWrongPassword, kRightPassword}, nullptr, 0, {TRUE, FALSE}, right, L"", 1},
      {"three wrong: the server's refusal, the refused digest forgotten",
       refused,
       {kWrongPassword, kWrongPassword, kWrongPassword, kRightPassword},
       nullptr,
       kRefused,
       {TRUE, FALSE, FALSE},
       wrong,
       L"",
       1},
      {"cancel", L"", {kCancel}, nullptr, kNeeded, {TRUE}, "", L"", 1},
      {"remembered", L"", {kRememberedRightPassword}, nullptr, 0, {TRUE}, right, kRightDigest, 1},
      {"cached: sent without asking", kRightDigest, {}, nullptr, 0, {}, right, kRightDigest, 1},
      {"cached but refused: forgotten, the user asked", refused, {kRightPassword}, nullptr, 0, {TRUE}, right, L"", 1},
      {"session id: the cache not consulted",
       kRightDigest,
       {},
       kServerSessionId,
       0,
       {},
       "///SID:" + com::WideToCodePage(kServerSessionId, CP_UTF8),
       kRightDigest,
       2},
      {"refused session id: the cached digest", kRightDigest, {}, L"6e6f7065", 0, {}, right, kRightDigest, 1},
      {"refused session id, nothing cached: the user asked",
       L"",
       {kRightPassword},
       L"6e6f7065",
       0,
       {TRUE},
       right,
       L"",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForgetCache();
    if (!c.cached.empty()) CacheDigest(c.cached);
    PlayerSettings fields = Alias(L"protected");
    if (c.sessionId) fields.m_nAuthMode = 2, fields.m_sSessionID = c.sessionId;
    NegotiationRun run = Run(fields, c.answers);
    EXPECT_EQ(c.errorId == 0, run.result != FALSE) << run.errorText;
    EXPECT_EQ(c.errorId, run.session.m_nErrorID);
    EXPECT_EQ(c.asked, run.dialogFirstAttempts);
    EXPECT_EQ(c.suffix, SuffixOf(run.request));
    EXPECT_EQ(c.cachedAfter, CachedDigest());
    EXPECT_EQ(c.authModeAfter, run.settings.m_nAuthMode);
    if (c.errorId == kRefused) {
      EXPECT_EQ(2, run.session.m_nErrorType);
      EXPECT_EQ(L"code 0x8FFF0544", run.errorText);
    }
    EXPECT_EQ(c.suffix == right ? kRightDigest : L"", run.settings.m_sCredentialHash) << "the digest sent, or none";
  }
}

TEST_F(NegotiationTest, CachedDigestIsNotSentForAnotherServer) {
  credentials::CUsers users(users_.Environment());
  ASSERT_TRUE(users.SaveUser(L"media.example", kRightDigest));
  NegotiationRun run = Run(Alias(L"testcard"));
  ASSERT_TRUE(run.result);
  EXPECT_EQ("", SuffixOf(run.request));
}

}  // namespace
}  // namespace zm::session::test
