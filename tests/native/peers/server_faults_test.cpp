#include "server_fixture.h"
#include "protocol/string_codec.h"
#include "protocol/wire_limits.h"

namespace zms::test {
namespace {

class ServerFaults : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }
};

TEST_F(ServerFaults, StallAfterNFramesSendsExactlyNAndKeepsTheConnectionOpen) {
  auto client = OpenAccepted(std::string(kStoredFile80) + "#stall-after=3");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(client->ReadFrame().has_value()) << i;
  EXPECT_TRUE(client->StaysSilent(milliseconds(700)));
  EXPECT_FALSE(client->WaitForClose(milliseconds(100)));
}

TEST_F(ServerFaults, CloseMidFrameSendsAHeaderAndPartOfItsPayloadThenCloses) {
  auto client = OpenAccepted(std::string(kLiveAlias80) + "#close-mid-frame=2");
  ASSERT_TRUE(client->ReadFrame().has_value());
  ASSERT_TRUE(client->ReadFrame().has_value());
  auto head = client->ReadExact(zp::kMediaFrameHeaderSize);
  ASSERT_TRUE(head.has_value());
  auto header = zp::DecodeMediaFrameHeader(*head);
  ASSERT_TRUE(header.ok());
  ASSERT_GT(header.value().length, 2u);
  auto half = client->ReadExact(header.value().length / 2);
  ASSERT_TRUE(half.has_value());
  EXPECT_FALSE(client->ReadExact(1, milliseconds(5000)).has_value());
}

TEST_F(ServerFaults, WrongMagicIsRefusedByTheDecoderBeforeAnythingElse) {
  auto client = Open(std::string(kLiveAlias80) + "#wrong-magic");
  ReadReplyResult result = client->ReadReply();
  ASSERT_TRUE(result.failure.has_value());
  EXPECT_EQ(zp::DecodeError::BadMagic, result.failure->error);
  EXPECT_EQ(0x36B2u, result.failure->value);
}

TEST_F(ServerFaults, Version25AnswerToAVersion80RequestAsksTheClientToFallBack) {
  auto client = Open(std::string(kLiveAlias80) + "#version25");
  ReadReplyResult result = client->ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  EXPECT_EQ(25u, result.reply->protocolVersion);
  EXPECT_EQ(zp::VersionAnswer::Protocol25Only, zp::CheckReplyVersion(80, result.reply->protocolVersion));
  EXPECT_TRUE(client->WaitForClose(milliseconds(5000)));

  // The client's second attempt, without the prefix, is served.
  zp::ServerReply reply;
  auto retry = OpenAccepted("live-alias:testcard#version25", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  EXPECT_TRUE(retry->ReadFrame().has_value());
}

TEST_F(ServerFaults, ResultFaultRefusesWithTheChosenCodeAndSendsNothingMore) {
  auto client = Open(std::string(kLiveAlias80) + "#result=0x8FFF0543");
  ReadReplyResult result = client->ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  EXPECT_EQ(0x8FFF0543u, result.reply->status.result);
  EXPECT_FALSE(client->ReadExact(1, milliseconds(5000)).has_value());
}

TEST_F(ServerFaults, OversizeFrameLengthIsRejectedFromTheHeader) {
  auto client = OpenAccepted(std::string(kLiveAlias80) + "#oversize=frame");
  zp::DecodeFailure failure;
  EXPECT_FALSE(client->ReadFrame(milliseconds(10000), &failure).has_value());
  EXPECT_EQ(zp::DecodeError::LengthTooLarge, failure.error);
  EXPECT_EQ(zp::kMaxFramePayloadBytes + 1, failure.value);
}

TEST_F(ServerFaults, OversizeFormatLengthIsRejectedFromTheRecord) {
  auto client = Open(std::string(kStoredFile80) + "#oversize=format");
  ReadReplyResult result = client->ReadReply();
  ASSERT_TRUE(result.failure.has_value());
  EXPECT_EQ(zp::DecodeError::LengthTooLarge, result.failure->error);
  EXPECT_EQ(zp::kMaxFormatBlockBytes + 1, result.failure->value);
}

TEST_F(ServerFaults, OversizeStringLengthIsRejectedFromTheLengthField) {
  auto client = OpenAccepted("/ZAMS80/0000playlist:0:testcards#oversize=string");
  auto length = client->ReadExact(zp::kWireStringLengthSize);
  ASSERT_TRUE(length.has_value());
  auto decoded = zp::DecodeWireStringLength(*length);
  ASSERT_FALSE(decoded.ok());
  EXPECT_EQ(zp::DecodeError::LengthTooLarge, decoded.error());
  EXPECT_EQ(zp::kMaxWireStringBytes + 1, decoded.failure().value);
}

TEST_F(ServerFaults, DripSendsOneByteAtATimeAndTheReplyStillDecodes) {
  auto client = Open(std::string(kStoredFile80) + "#drip=3000");
  auto prologue = client->ReadExact(zp::kReplyPrologueSize);
  ASSERT_TRUE(prologue.has_value());
  EXPECT_GE(client->lastReadCalls(), 4);  // the bytes came in pieces
  EXPECT_TRUE(zp::DecodeReplyPrologue(*prologue).ok());
}

TEST_F(ServerFaults, VideoFormatFaultsSpoilOnlyTheVideoRecordAndStillStream) {
  zp::ServerReply plain;
  OpenAccepted(kLiveAlias80, &plain);
  const zp::StreamFormat& good = plain.formats[zp::kVideoFormatIndex];
  ASSERT_GE(good.formatBlock.size(), 60u);

  zp::ServerReply reply;
  auto client = OpenAccepted(std::string(kLiveAlias80) + "#video-format=short", &reply);
  EXPECT_EQ(52u, reply.formats[zp::kVideoFormatIndex].formatBlock.size());
  EXPECT_EQ(plain.formats[zp::kAudioFormatIndex], reply.formats[zp::kAudioFormatIndex]);
  EXPECT_TRUE(client->ReadFrame().has_value());

  OpenAccepted(std::string(kLiveAlias80) + "#video-format=untyped", &reply);
  EXPECT_TRUE(reply.formats[zp::kVideoFormatIndex].type.formatType.IsNull());
  EXPECT_EQ(good.formatBlock, reply.formats[zp::kVideoFormatIndex].formatBlock);

  // biWidth at 52, biHeight at 56, little-endian.
  OpenAccepted(std::string(kLiveAlias80) + "#video-format=zero-width", &reply);
  const std::vector<uint8_t>& zero = reply.formats[zp::kVideoFormatIndex].formatBlock;
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), std::vector<uint8_t>(zero.begin() + 52, zero.begin() + 56));

  OpenAccepted(std::string(kLiveAlias80) + "#video-format=negative-height", &reply);
  const std::vector<uint8_t>& negative = reply.formats[zp::kVideoFormatIndex].formatBlock;
  EXPECT_EQ((std::vector<uint8_t>{0x10, 0xFF, 0xFF, 0xFF}),
            std::vector<uint8_t>(negative.begin() + 56, negative.begin() + 60));
}

TEST_F(ServerFaults, UnknownFaultInTheNameIsRefusedAsAnInvalidArgument) {
  auto client = Open(std::string(kLiveAlias80) + "#explode");
  ReadReplyResult result = client->ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  EXPECT_EQ(0x80070057u, result.reply->status.result);
}

TEST(ServerFaultFlag, FaultFlagAppliesToEveryConnection) {
  ServerProcess server({"--fault", "result=0x8FFF0544"});
  ASSERT_TRUE(server.started());
  for (const char* request : {kLiveAlias80, kStoredFile80}) {
    WireClient client;
    ASSERT_TRUE(client.Connect(server.port()));
    ASSERT_TRUE(client.Send(request));
    ReadReplyResult result = client.ReadReply();
    ASSERT_TRUE(result.reply.has_value());
    EXPECT_EQ(0x8FFF0544u, result.reply->status.result) << request;
  }
  EXPECT_EQ(0, server.Stop(SIGTERM));
}

TEST(ServerFaultFlag, DripOverAWholeFrameDeliversItIntact) {
  ServerProcess server({"--fault", "drip"});
  ASSERT_TRUE(server.started());
  WireClient client;
  ASSERT_TRUE(client.Connect(server.port()));
  ASSERT_TRUE(client.Send(kStoredFile80));
  ReadReplyResult result = client.ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  auto frame = client.ReadFrame(milliseconds(30000));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(320u * 240 * 4, frame->payload.size());
  EXPECT_EQ(0, server.Stop(SIGTERM));
}

}  // namespace
}  // namespace zms::test
