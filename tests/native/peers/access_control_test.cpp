// Who may open the protected alias: the digest and session-id texts the server expects, and
// the answers that make the control ask again.
#include "peers/server/access_control.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

// Expected digests computed independently when this test was written:
// python3 -c "import hashlib; print(hashlib.sha1((u+p).encode('utf-8')).hexdigest())"
constexpr char kViewerDigest[] = "daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";           // viewer, s3cret
constexpr char kNonAsciiDigest[] = "78e7d98de9002c87f20d4f0f5906b6fb8d515c5e";         // Jürgen, päss€🔑

MediaRequest ProtectedRequest() {
  MediaRequest request;
  request.protocolVersion = 80;
  request.kind = ResourceKind::LiveAlias;
  request.name = kProtectedAlias;
  return request;
}

TEST(CredentialDigestText, IsTheSha1OfNameAndPasswordInLowerCaseHex) {
  EXPECT_EQ(kViewerDigest, CredentialDigestText("viewer", "s3cret"));
  EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", CredentialDigestText("", ""));
}

TEST(CredentialDigestText, HashesTheUtf8BytesOfANonAsciiPassword) {
  EXPECT_EQ(kNonAsciiDigest, CredentialDigestText("J\xC3\xBCrgen", "p\xC3\xA4ss\xE2\x82\xAC\xF0\x9F\x94\x91"));
}

TEST(SessionIdText, IsTheHexTextTheControlMakesOfTheToken) {
  EXPECT_EQ("6162", SessionIdText("ab"));
  EXPECT_EQ("7a6d732d73657373696f6e", SessionIdText(kDefaultSessionToken));
  // A byte of 0x80 or more is a negative char: "%2.2x" writes its sign extension.
  EXPECT_EQ("41ffffffe9", SessionIdText("A\xE9"));
}

class AccessControlTest : public ::testing::Test {
 protected:
  AccessControl access_{AccessOptions{}};
};

TEST_F(AccessControlTest, OnlyTheProtectedAliasIsGuarded) {
  MediaRequest request = ProtectedRequest();
  request.name = "testcard";
  EXPECT_EQ(0u, access_.Check(request));
  request.kind = ResourceKind::File;
  request.name = kProtectedAlias;
  EXPECT_EQ(0u, access_.Check(request));
}

TEST_F(AccessControlTest, NoCredentialsAsksForThem) {
  EXPECT_EQ(kResultCredentialsNeeded, access_.Check(ProtectedRequest()));
}

TEST_F(AccessControlTest, TheDefaultUsersDigestOpensIt) {
  MediaRequest request = ProtectedRequest();
  request.credentialHash = kViewerDigest;
  EXPECT_EQ(0u, access_.Check(request));
}

TEST_F(AccessControlTest, AWrongDigestIsRefusedSoTheClientForgetsIt) {
  MediaRequest request = ProtectedRequest();
  request.credentialHash = CredentialDigestText("viewer", "wrong");
  EXPECT_EQ(kResultCredentialsRefused, access_.Check(request));
  // Compared as the control sends it: lower-case digits only.
  std::string upper = kViewerDigest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  request.credentialHash = upper;
  EXPECT_EQ(kResultCredentialsRefused, access_.Check(request));
}

TEST_F(AccessControlTest, TheSessionIdOpensItAndAnotherAsksForCredentials) {
  MediaRequest request = ProtectedRequest();
  request.sessionId = SessionIdText(kDefaultSessionToken);
  EXPECT_EQ(0u, access_.Check(request));
  request.sessionId = kDefaultSessionToken;  // the token itself is not what the control sends
  EXPECT_EQ(kResultCredentialsNeeded, access_.Check(request));
}

TEST(AccessControlOptions, AnotherUserAndTokenReplaceTheDefaults) {
  AccessControl access(AccessOptions{"J\xC3\xBCrgen", "p\xC3\xA4ss\xE2\x82\xAC\xF0\x9F\x94\x91", "ticket-7"});
  MediaRequest request = ProtectedRequest();
  request.credentialHash = kNonAsciiDigest;
  EXPECT_EQ(0u, access.Check(request));
  request.credentialHash = kViewerDigest;
  EXPECT_EQ(kResultCredentialsRefused, access.Check(request));
  request.credentialHash.clear();
  request.sessionId = SessionIdText("ticket-7");
  EXPECT_EQ(0u, access.Check(request));
}

}  // namespace
}  // namespace zms
