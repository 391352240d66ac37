#include "server_fixture.h"

namespace zms::test {
namespace {

class ServerCommands : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }

  // Reads frames until the seek-completion frame (byte 25 set); none when it never comes.
  std::optional<zp::MediaFrame> ReadUntilSeekCompletion(WireClient& client) {
    for (int i = 0; i < 600; ++i) {
      auto frame = client.ReadFrame();
      if (!frame) return std::nullopt;
      if (frame->header.hasNewFormat) return frame;
    }
    return std::nullopt;
  }

  // Reads until nothing arrives for a moment; false if the server keeps sending.
  bool Drain(WireClient& client) {
    for (int i = 0; i < 600; ++i) {
      if (client.StaysSilent(milliseconds(300))) return true;
      if (!client.ReadFrame()) return false;
    }
    return false;
  }
};

TEST_F(ServerCommands, SeekMovesToTheTargetAndMarksTheFirstFrameThere) {
  auto client = OpenAccepted(kStoredFile80);
  ASSERT_TRUE(client->ReadFrame().has_value());
  ASSERT_TRUE(client->Send("Seek:7"));
  auto done = ReadUntilSeekCompletion(*client);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(zp::kStreamTypeVideo, done->header.streamType);
  EXPECT_EQ(7 * 25 * kFrameTime, done->header.time);
  EXPECT_NE(0u, done->header.length);
  auto next = client->ReadFrame();
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(zp::kStreamTypeAudio, next->header.streamType);
  EXPECT_EQ(done->header.time, next->header.time);
  EXPECT_EQ(0, next->header.hasNewFormat);
}

TEST_F(ServerCommands, SeekToTheEndCompletesWithAnEmptyFrameAndNothingAfter) {
  auto client = OpenAccepted(kStoredFile80);
  ASSERT_TRUE(client->Send("Seek:10"));
  auto done = ReadUntilSeekCompletion(*client);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(0u, done->header.length);
  EXPECT_TRUE(client->StaysSilent(milliseconds(300)));
}

TEST_F(ServerCommands, SeekAfterTheEndOfTheItemStartsSendingAgain) {
  auto client = OpenAccepted(kStoredFile80);
  int ends = 0;
  for (int i = 0; i < 600 && ends < 2; ++i) {
    auto frame = client->ReadFrame();
    ASSERT_TRUE(frame.has_value());
    if (frame->header.length == 0) ++ends;
  }
  ASSERT_EQ(2, ends);
  ASSERT_TRUE(client->Send("Seek:2"));
  auto done = client->ReadFrame();
  ASSERT_TRUE(done.has_value());
  EXPECT_NE(0, done->header.hasNewFormat);
  EXPECT_EQ(2 * 25 * kFrameTime, done->header.time);
}

TEST_F(ServerCommands, PauseStopsTheFlowUntilContinue) {
  auto client = OpenAccepted(kStoredFile80);
  ASSERT_TRUE(client->ReadFrame().has_value());
  ASSERT_TRUE(client->Send("RTPFilePause"));
  ASSERT_TRUE(Drain(*client));
  ASSERT_TRUE(client->Send("RTPFileContinue"));
  auto frame = client->ReadFrame(milliseconds(3000));
  ASSERT_TRUE(frame.has_value());
  EXPECT_NE(0u, frame->header.length);
}

TEST_F(ServerCommands, CommandsWrittenBackToBackAreEachObeyed) {
  auto client = OpenAccepted(kStoredFile80);
  ASSERT_TRUE(client->Send("RTPFilePauseSeek:3"));
  ASSERT_TRUE(Drain(*client));
  ASSERT_TRUE(client->Send("RTPFileContinue"));
  auto done = client->ReadFrame(milliseconds(3000));
  ASSERT_TRUE(done.has_value());
  EXPECT_NE(0, done->header.hasNewFormat);
  EXPECT_EQ(3 * 25 * kFrameTime, done->header.time);
}

TEST_F(ServerCommands, SeekOnALiveSourceIsIgnoredAndFramesGoOn) {
  auto client = OpenAccepted(kLiveAlias80);
  auto first = client->ReadFrame();
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(client->Send("Seek:5"));
  for (int i = 0; i < 6; ++i) {
    auto frame = client->ReadFrame();
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(0, frame->header.hasNewFormat);
    EXPECT_LT(frame->header.time, 5 * 10'000'000);
  }
}

}  // namespace
}  // namespace zms::test
