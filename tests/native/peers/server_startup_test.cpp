#include "server_fixture.h"

namespace zms::test {
namespace {

TEST(ServerCommandLine, HelpListsEveryFlagAndFault) {
  std::string output;
  EXPECT_EQ(0, RunServerToEnd({"--help"}, &output));
  for (const char* word : {"--port", "--local-port", "--fault", "--extension-bytes", "--user", "--session-id",
                           "--protocol25-only", "--help", "stall-after=N",
                           "close-mid-frame=N", "wrong-magic", "version25", "result=CODE", "oversize=", "drip"}) {
    EXPECT_NE(std::string::npos, output.find(word)) << word;
  }
}

TEST(ServerCommandLine, UnknownFlagOrBadValueEndsWithAnError) {
  std::string output;
  EXPECT_EQ(2, RunServerToEnd({"--bogus"}, &output));
  EXPECT_EQ(2, RunServerToEnd({"--port", "70000"}, &output));
  EXPECT_EQ(2, RunServerToEnd({"--fault", "stall-after=x"}, &output));
  EXPECT_EQ(2, RunServerToEnd({"--port"}, &output));
}

class ServerLifecycle : public ServerTest {};

TEST_F(ServerLifecycle, PortZeroPicksAFreePortAndPrintsIt) {
  StartServer();
  EXPECT_NE(0, server_->port());
  WireClient client;
  EXPECT_TRUE(client.Connect(server_->port()));
}

TEST_F(ServerLifecycle, SigtermWhileAClientStreamsStopsCleanly) {
  StartServer();
  auto client = OpenAccepted(kLiveAlias80);
  ASSERT_TRUE(client->ReadFrame().has_value());
  EXPECT_EQ(0, server_->Stop(SIGTERM));
  EXPECT_TRUE(client->WaitForClose(milliseconds(5000)));
  EXPECT_NE(std::string::npos, server_->Log().find("stopped"));
  server_.reset();
}

TEST_F(ServerLifecycle, SigintWhileAClientIsPausedStopsCleanly) {
  StartServer();
  auto client = OpenAccepted(kStoredFile80 + std::string("#stall-after=1"));
  ASSERT_TRUE(client->ReadFrame().has_value());
  EXPECT_EQ(0, server_->Stop(SIGINT));
  server_.reset();
}

TEST_F(ServerLifecycle, LogsOneLinePerConnectionAndPerCommand) {
  StartServer();
  {
    auto client = OpenAccepted(kStoredFile80);
    ASSERT_TRUE(client->ReadFrame().has_value());
    ASSERT_TRUE(client->Send("Seek:3"));
    for (int i = 0; i < 600; ++i) {
      auto frame = client->ReadFrame();
      ASSERT_TRUE(frame.has_value());
      if (frame->header.hasNewFormat) break;
    }
  }
  EXPECT_EQ(0, server_->Stop(SIGTERM));
  const std::string log = server_->Log();
  EXPECT_NE(std::string::npos, log.find("connection from 127.0.0.1:"));
  EXPECT_NE(std::string::npos, log.find("request \"/ZAMS80/0000file:testcard.zmf\""));
  EXPECT_NE(std::string::npos, log.find("command \"Seek:3\""));
  EXPECT_NE(std::string::npos, log.find("connection closed"));
  server_.reset();
}

}  // namespace
}  // namespace zms::test
