// The password exchange of the negotiation against the reference server's protected alias:
// the dialog's answers, the credential cache consulted and updated, and the session id.
#include "negotiation_fixture.h"

#include "com/code_page_text.h"

namespace zm::session::test {
namespace {

std::string SuffixOf(const std::string& request) {
  const size_t at = request.find("///");
  return at == std::string::npos ? std::string() : request.substr(at);
}

const std::string kRightSuffix = "///HASH:" + com::WideToCodePage(kRightDigest, CP_UTF8);

TEST_F(NegotiationTest, RightPasswordOnTheFirstAskOpensTheProtectedAlias) {
  NegotiationRun run = Run(Alias(L"protected"), {kRightPassword});
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ(std::vector<BOOL>{TRUE}, run.dialogFirstAttempts);
  EXPECT_EQ(kRightSuffix, SuffixOf(run.request));
  EXPECT_EQ(kRightDigest, run.settings.m_sCredentialHash);
  EXPECT_EQ(L"", CachedDigest());  // not asked to remember
}

TEST_F(NegotiationTest, WrongPasswordIsAskedAgainWithTheTryAgainPrompt) {
  NegotiationRun run = Run(Alias(L"protected"), {kWrongPassword, kRightPassword});
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE}), run.dialogFirstAttempts);
  EXPECT_EQ(kRightSuffix, SuffixOf(run.request));
}

TEST_F(NegotiationTest, ThreeWrongPasswordsEndWithTheServersRefusal) {
  CacheDigest(L"0000000000000000000000000000000000000000");
  NegotiationRun run = Run(Alias(L"protected"), {kWrongPassword, kWrongPassword, kWrongPassword, kRightPassword});
  EXPECT_FALSE(run.result);
  EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE, FALSE}), run.dialogFirstAttempts);
  EXPECT_EQ(2, run.session.m_nErrorType);
  EXPECT_EQ(static_cast<int32_t>(0x8FFF0544), run.session.m_nErrorID);
  EXPECT_EQ(L"code 0x8FFF0544", run.errorText);
  EXPECT_EQ(L"", run.settings.m_sCredentialHash);
  EXPECT_EQ(L"", CachedDigest());
}

TEST_F(NegotiationTest, CancelEndsWithTheCredentialsNeededCode) {
  NegotiationRun run = Run(Alias(L"protected"), {kCancel});
  EXPECT_FALSE(run.result);
  EXPECT_EQ(std::vector<BOOL>{TRUE}, run.dialogFirstAttempts);
  EXPECT_EQ(static_cast<int32_t>(0x8FFF0543), run.session.m_nErrorID);
  EXPECT_EQ("", SuffixOf(run.request));
}

TEST_F(NegotiationTest, RememberedPasswordIsCachedAndSentByTheNextSessionWithoutAsking) {
  NegotiationRun first = Run(Alias(L"protected"), {kRememberedRightPassword});
  ASSERT_TRUE(first.result);
  EXPECT_EQ(kRightDigest, CachedDigest());

  NegotiationRun second = Run(Alias(L"protected"));
  ASSERT_TRUE(second.result) << second.errorText;
  EXPECT_TRUE(second.dialogFirstAttempts.empty());
  EXPECT_EQ(kRightSuffix, SuffixOf(second.request));
}

TEST_F(NegotiationTest, CachedDigestTheServerRefusesIsForgottenAndTheUserAsked) {
  CacheDigest(L"1111111111111111111111111111111111111111");
  NegotiationRun run = Run(Alias(L"protected"), {kRightPassword});
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ(std::vector<BOOL>{TRUE}, run.dialogFirstAttempts);
  EXPECT_EQ(L"", CachedDigest());
}

TEST_F(NegotiationTest, CachedDigestIsNotSentForAnotherServer) {
  credentials::CUsers users(users_.Environment());
  ASSERT_TRUE(users.SaveUser(L"media.example", kRightDigest));
  NegotiationRun run = Run(Alias(L"testcard"));
  ASSERT_TRUE(run.result);
  EXPECT_EQ("", SuffixOf(run.request));
}

TEST_F(NegotiationTest, SessionIdOpensTheProtectedAliasWithoutTheDialog) {
  PlayerSettings fields = Alias(L"protected");
  fields.m_nAuthMode = 2;
  fields.m_sSessionID = kServerSessionId;
  CacheDigest(kRightDigest);  // not consulted while the session id is accepted
  NegotiationRun run = Run(fields);
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ("///SID:" + com::WideToCodePage(kServerSessionId, CP_UTF8), SuffixOf(run.request));
  EXPECT_EQ(2, run.settings.m_nAuthMode);
  EXPECT_TRUE(run.dialogFirstAttempts.empty());
}

TEST_F(NegotiationTest, RefusedSessionIdFallsBackToTheCachedDigestWithoutTheDialog) {
  PlayerSettings fields = Alias(L"protected");
  fields.m_nAuthMode = 2;
  fields.m_sSessionID = L"6e6f7065";
  CacheDigest(kRightDigest);
  NegotiationRun run = Run(fields);
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_TRUE(run.dialogFirstAttempts.empty());
  EXPECT_EQ(1, run.settings.m_nAuthMode);  // stays for later sessions
  EXPECT_EQ(kRightSuffix, SuffixOf(run.request));
}

TEST_F(NegotiationTest, RefusedSessionIdWithNothingCachedAsksTheUser) {
  PlayerSettings fields = Alias(L"protected");
  fields.m_nAuthMode = 2;
  fields.m_sSessionID = L"6e6f7065";
  NegotiationRun run = Run(fields, {kRightPassword});
  ASSERT_TRUE(run.result) << run.errorText;
  EXPECT_EQ(std::vector<BOOL>{TRUE}, run.dialogFirstAttempts);
  EXPECT_EQ(1, run.settings.m_nAuthMode);
}

}  // namespace
}  // namespace zm::session::test
