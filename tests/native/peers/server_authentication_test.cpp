// The real server guarding the live alias "protected": the answers a client gets with no,
// wrong and right credentials, by digest and by session id, and in the protocol-25-only mode.
#include "peers/server/access_control.h"
#include "server_fixture.h"

namespace zms::test {
namespace {

constexpr char kProtected80[] = "/ZAMS80/0000live-alias:protected";
constexpr char kProtected25[] = "live-alias:protected";
// python3 -c "import hashlib; print(hashlib.sha1('viewers3cret'.encode('utf-8')).hexdigest())"
constexpr char kViewerDigest[] = "daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";

class ServerAuthentication : public ServerTest {
 protected:
  // The refusal's result, after which the server closes the connection.
  uint32_t RefusalOf(const std::string& request, uint32_t* version = nullptr) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    EXPECT_TRUE(result.reply.has_value()) << request << "\n" << server_->Log();
    if (!result.reply) return 0;
    EXPECT_TRUE(client->WaitForClose(milliseconds(5000))) << request;
    if (version) *version = result.reply->protocolVersion;
    return result.reply->status.result;
  }
};

TEST_F(ServerAuthentication, ProtectedAliasWithoutCredentialsAsksForThem) {
  StartServer();
  EXPECT_EQ(0x8FFF0543u, RefusalOf(kProtected80));
  EXPECT_EQ(0x8FFF0543u, RefusalOf(kProtected25));
}

TEST_F(ServerAuthentication, DigestOfTheDefaultUserOpensTheLiveStream) {
  StartServer();
  zp::ServerReply reply;
  auto client = OpenAccepted(std::string(kProtected80) + "///HASH:" + kViewerDigest, &reply);
  EXPECT_EQ(1u, reply.status.resourceKind);
  auto frame = client->ReadFrame();
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(zp::kStreamTypeVideo, frame->header.streamType);
}

TEST_F(ServerAuthentication, WrongDigestIsRefusedSoTheClientDropsItsStoredOne) {
  StartServer();
  EXPECT_EQ(0x8FFF0544u, RefusalOf(std::string(kProtected80) + "///HASH:" + CredentialDigestText("viewer", "S3cret")));
  EXPECT_NE(std::string::npos, server_->Log().find("credential digest refused"));
}

TEST_F(ServerAuthentication, SessionIdOfTheDefaultTokenOpensItAndAnotherAsksAgain) {
  StartServer();
  OpenAccepted(std::string(kProtected80) + "///SID:" + SessionIdText(kDefaultSessionToken));
  EXPECT_EQ(0x8FFF0543u, RefusalOf(std::string(kProtected80) + "///SID:" + SessionIdText("other")));
}

TEST_F(ServerAuthentication, UserAndSessionIdFlagsReplaceTheDefaults) {
  const std::string password = "p\xC3\xA4ss\xE2\x82\xAC";  // UTF-8 on the command line, as the digest hashes it
  StartServer({"--user", "J\xC3\xBCrgen:" + password, "--session-id", "ticket-7"});
  // python3 -c "import hashlib; print(hashlib.sha1('Jürgenpäss€'.encode('utf-8')).hexdigest())"
  OpenAccepted(std::string(kProtected80) + "///HASH:" + "32b36ba92c4eba6d0bf0f85725a7999a28aa0422");
  OpenAccepted(std::string(kProtected80) + "///SID:" + SessionIdText("ticket-7"));
  EXPECT_EQ(0x8FFF0544u, RefusalOf(std::string(kProtected80) + "///HASH:" + kViewerDigest));
  EXPECT_EQ(0x8FFF0543u, RefusalOf(std::string(kProtected80) + "///SID:" + SessionIdText(kDefaultSessionToken)));
}

TEST_F(ServerAuthentication, OtherNamesNeedNoCredentials) {
  StartServer();
  OpenAccepted(kLiveAlias80);
  OpenAccepted(std::string(kStoredFile80) + "///HASH:" + std::string(40, '0'));
}

TEST_F(ServerAuthentication, UnknownNameIsNotFoundWhateverTheCredentials) {
  StartServer();
  EXPECT_EQ(0x80070002u, RefusalOf("/ZAMS80/0000live-alias:nosuch"));
}

class ServerProtocol25Only : public ServerAuthentication {
 protected:
  void SetUp() override { StartServer({"--protocol25-only"}); }
};

TEST_F(ServerProtocol25Only, Version80RequestGetsAVersion25AnswerAndTheConnectionCloses) {
  for (const char* request : {kLiveAlias80, kStoredFile80, kProtected80}) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    ASSERT_TRUE(result.reply.has_value()) << request;
    EXPECT_EQ(25u, result.reply->protocolVersion) << request;
    EXPECT_TRUE(client->WaitForClose(milliseconds(5000))) << request;
  }
}

TEST_F(ServerProtocol25Only, Version25RequestsAreServedWithAuthentication) {
  zp::ServerReply reply;
  auto client = OpenAccepted("live-alias:testcard", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  EXPECT_TRUE(client->ReadFrame().has_value());
  uint32_t version = 0;
  EXPECT_EQ(0x8FFF0543u, RefusalOf(kProtected25, &version));
  EXPECT_EQ(25u, version);
  OpenAccepted(std::string(kProtected25) + "///HASH:" + kViewerDigest, &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
}

}  // namespace
}  // namespace zms::test
