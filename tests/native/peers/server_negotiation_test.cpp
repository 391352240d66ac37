#include "server_fixture.h"
#include "protocol/format_blocks.h"

namespace zms::test {
namespace {

void ExpectTestcardFormats(const zp::StreamFormatPair& formats) {
  const zp::StreamFormat& video = formats[zp::kVideoFormatIndex];
  EXPECT_EQ(zp::MEDIATYPE_Video, video.type.majorType);
  EXPECT_EQ(zp::MEDIASUBTYPE_RGB32, video.type.subType);
  EXPECT_EQ(zp::FORMAT_VideoInfo, video.type.formatType);
  auto info = zp::DecodeVideoInfoHeader(video.formatBlock);
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(zp::kVideoInfoHeaderSize, video.formatBlock.size());
  EXPECT_EQ(320, info.value().bitmap.width);
  EXPECT_EQ(240, info.value().bitmap.height);
  EXPECT_EQ(32, info.value().bitmap.bitCount);
  EXPECT_EQ(kFrameTime, info.value().avgTimePerFrame);
  EXPECT_EQ(320u * 240 * 4, info.value().bitmap.sizeImage);

  const zp::StreamFormat& audio = formats[zp::kAudioFormatIndex];
  EXPECT_EQ(zp::MEDIATYPE_Audio, audio.type.majorType);
  EXPECT_EQ(zp::MEDIASUBTYPE_PCM, audio.type.subType);
  EXPECT_EQ(zp::FORMAT_WaveFormatEx, audio.type.formatType);
  auto wave = zp::DecodeWaveFormatEx(audio.formatBlock);
  ASSERT_TRUE(wave.ok());
  EXPECT_EQ(zp::kWaveFormatPcm, wave.value().formatTag);
  EXPECT_EQ(2, wave.value().channels);
  EXPECT_EQ(44100u, wave.value().samplesPerSec);
  EXPECT_EQ(16, wave.value().bitsPerSample);
  EXPECT_EQ(4, wave.value().blockAlign);
  EXPECT_EQ(176400u, wave.value().avgBytesPerSec);
}

class ServerNegotiation : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }
};

TEST_F(ServerNegotiation, LiveAliasInProtocol80GetsALiveReplyWithBothStreams) {
  zp::ServerReply reply;
  OpenAccepted(kLiveAlias80, &reply);
  EXPECT_EQ(80u, reply.protocolVersion);
  EXPECT_EQ(1u, reply.status.resourceKind);
  EXPECT_TRUE(reply.extension.empty());
  ExpectTestcardFormats(reply.formats);
}

TEST_F(ServerNegotiation, Protocol25RequestIsAnsweredInProtocol25) {
  zp::ServerReply reply;
  OpenAccepted("live-alias:testcard", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  ExpectTestcardFormats(reply.formats);
}

TEST_F(ServerNegotiation, LiveDirectSourceOneIsReachableAtAnySourceAddress) {
  for (const char* request : {"/ZAMS80/0000live-direct:1@10.20.30.40", "live-direct:1@camera.example"}) {
    zp::ServerReply reply;
    OpenAccepted(request, &reply);
    EXPECT_EQ(1u, reply.status.resourceKind) << request;
  }
}

TEST_F(ServerNegotiation, LiveLocalSourceOneIsServed) {
  zp::ServerReply reply;
  OpenAccepted("1CompSid:S-1-5-21-1004336348-1177238915-682003330", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  EXPECT_EQ(1u, reply.status.resourceKind);
}

TEST_F(ServerNegotiation, StoredFileIsSeekableWithItsDurationInServerFlags) {
  zp::ServerReply reply;
  OpenAccepted(kStoredFile80, &reply);
  EXPECT_EQ(0u, reply.status.resourceKind);
  EXPECT_EQ(10000u, reply.status.serverFlags);
  EXPECT_NE(0u, reply.status.seekable);
  ExpectTestcardFormats(reply.formats);
}

TEST_F(ServerNegotiation, AuthenticationSuffixesAreAccepted) {
  OpenAccepted(std::string(kLiveAlias80) + "///HASH:" + std::string(40, 'a'));
  OpenAccepted(std::string(kStoredFile80) + "///SID:session-42");
  OpenAccepted("live-direct:1@10.0.0.1///HASH:0123456789abcdef0123456789abcdef01234567");
}

TEST_F(ServerNegotiation, PlaylistEntryGetsAStoredReplyFollowedByTheListString) {
  zp::ServerReply reply;
  auto client = OpenAccepted("/ZAMS80/0000playlist:0:testcards", &reply);
  EXPECT_EQ(0u, reply.status.resourceKind);
  auto text = client->ReadString();
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(0u, text->find("testcard.zmf<xml>"));
  EXPECT_NE(std::string::npos, text->find("<file>testcard.zmf</file>"));
  auto frame = client->ReadFrame();
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(zp::kStreamTypeVideo, frame->header.streamType);
}

TEST_F(ServerNegotiation, AliasMadeOfTheSeparatorsOpensOnlyWhenItArrivesWhole) {
  zp::ServerReply reply;
  OpenAccepted("/ZAMS80/0000live-alias:a b:c/d@e*f%g", &reply);
  EXPECT_EQ(1u, reply.status.resourceKind);
  OpenAccepted("live-alias:a b:c/d@e*f%g///HASH:0123", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  for (const char* cut : {"/ZAMS80/0000live-alias:a b:c/d@e", "/ZAMS80/0000live-alias:a b:c/d@e&f%g"}) {
    auto client = Open(cut);
    ReadReplyResult result = client->ReadReply();
    ASSERT_TRUE(result.reply.has_value()) << cut;
    EXPECT_EQ(0x80070002u, result.reply->status.result) << cut;
  }
}

TEST_F(ServerNegotiation, UnknownNamesAreRefusedWithANonzeroResultAndNothingMore) {
  for (const char* request : {"/ZAMS80/0000live-alias:nosuch", "/ZAMS80/0000file:nosuch.zmf",
                              "/ZAMS80/0000live-direct:2@10.0.0.1", "/ZAMS80/0000playlist:5:testcards"}) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    ASSERT_TRUE(result.reply.has_value()) << request;
    EXPECT_EQ(0x80070002u, result.reply->status.result) << request;
    EXPECT_TRUE(client->WaitForClose(milliseconds(5000))) << request;
  }
}

TEST_F(ServerNegotiation, UnreadableRequestIsRefusedAsAnInvalidArgumentInItsVersion) {
  for (auto [request, version] : {std::pair<const char*, uint32_t>{"/ZAMS80/0000nonsense", 80}, {"hello", 25}}) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    ASSERT_TRUE(result.reply.has_value()) << request;
    EXPECT_EQ(version, result.reply->protocolVersion) << request;
    EXPECT_EQ(0x80070057u, result.reply->status.result) << request;
  }
}

TEST(ServerReplyOptions, ExtensionBytesFlagSendsThatManyExtensionBytes) {
  ServerProcess server({"--extension-bytes", "7"});
  ASSERT_TRUE(server.started());
  WireClient client;
  ASSERT_TRUE(client.Connect(server.port()));
  ASSERT_TRUE(client.Send(kLiveAlias80));
  ReadReplyResult result = client.ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  EXPECT_EQ(std::vector<uint8_t>(7, 0), result.reply->extension);
  ExpectTestcardFormats(result.reply->formats);
  EXPECT_EQ(0, server.Stop(SIGTERM));
}

TEST(ServerLocalPort, SecondListenerServesLiveLocalRequests) {
  ServerProcess server({"--local-port", "0"});
  ASSERT_TRUE(server.started());
  ASSERT_NE(0, server.localPort());
  WireClient client;
  ASSERT_TRUE(client.Connect(server.localPort()));
  ASSERT_TRUE(client.Send("1CompSid:S-1-5-21-1-2-3"));
  ReadReplyResult result = client.ReadReply();
  ASSERT_TRUE(result.reply.has_value());
  EXPECT_EQ(0u, result.reply->status.result);
  EXPECT_EQ(0, server.Stop(SIGTERM));
}

}  // namespace
}  // namespace zms::test
