// Reading the server's reply: magic, version, status, extension and both stream descriptions.
#include "protocol/format_blocks.h"
#include "transport/local_peer.h"
#include "transport/peer_replies.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using protocol::kProtocolVersion25;
using protocol::kProtocolVersion80;

constexpr uint32_t kResultWrongMagic = 0x8FFF0538;
constexpr uint32_t kResultIncompatible = 0x8FFF0539;

class ServerReplyTest : public TransportTest {};

TEST_F(ServerReplyTest, LiveAliasReplyCarriesVideoThenAudioInTaskAllocatorBlocks) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard", kProtocol80);
  ReplyRecords reply;
  std::wstring error = L"stale";
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  EXPECT_EQ(error, L"");
  EXPECT_EQ(source.ProtocolVersion(), kProtocol80);
  EXPECT_EQ(reply.status.result, 0u);
  EXPECT_EQ(reply.status.resourceKind, 1);
  EXPECT_EQ(reply.formats[0].majortype, transport::ToWindowsGuid(protocol::MEDIATYPE_Video));
  EXPECT_EQ(reply.formats[1].majortype, transport::ToWindowsGuid(protocol::MEDIATYPE_Audio));
  EXPECT_EQ(reply.formats[0].formattype, transport::ToWindowsGuid(protocol::FORMAT_VideoInfo));
  EXPECT_EQ(reply.formats[0].pUnk, nullptr);
  ASSERT_EQ(reply.formats[0].cbFormat, protocol::kVideoInfoHeaderSize);
  auto video = protocol::DecodeVideoInfoHeader({reply.formats[0].pbFormat, reply.formats[0].cbFormat});
  ASSERT_TRUE(video.ok());
  EXPECT_EQ(video.value().bitmap.width, 320);
  EXPECT_EQ(video.value().bitmap.height, 240);
  ASSERT_EQ(reply.formats[1].cbFormat, protocol::kWaveFormatExSize);
  auto audio = protocol::DecodeWaveFormatEx({reply.formats[1].pbFormat, reply.formats[1].cbFormat});
  ASSERT_TRUE(audio.ok());
  EXPECT_EQ(audio.value().samplesPerSec, 44100u);
  // Both blocks came from the task allocator, for the session to free.
  EXPECT_EQ(MallocSpy().Outstanding(), 2);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, Protocol25RequestIsAnsweredWithVersion25AndAccepted) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "live-alias:testcard", kProtocol25);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  EXPECT_EQ(source.ProtocolVersion(), kProtocol25);
  EXPECT_NE(reply.formats[0].pbFormat, nullptr);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, WrongMagicSetsItsResultAndFailsAsUnrecognized) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#wrong-magic", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"Unrecognized response from Server");
  EXPECT_EQ(reply.status.result, kResultWrongMagic);
  EXPECT_EQ(reply.formats[0].pbFormat, nullptr);
  EXPECT_EQ(MallocSpy().Allocations(), 0);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, Version25AnswerToProtocol80RequestAsksForProtocol25) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#version25", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"ServerSupportsProtocol25Only");
  EXPECT_EQ(source.ProtocolVersion(), kProtocol80);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, Version25AnswerToProtocol25RequestIsAccepted) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "live-alias:testcard#version25", kProtocol25);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, RefusalGivesEmptyTextAndTheServersResult) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#result=0x8FFF0543", kProtocol80);
  ReplyRecords reply;
  std::wstring error = L"stale";
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"");
  EXPECT_EQ(reply.status.result, 0x8FFF0543u);
  EXPECT_EQ(MallocSpy().Allocations(), 0);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, OversizeFormatLengthFailsBeforeAllocatingAndFreesTheRest) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard#oversize=format", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().Allocations(), 0);
  for (const StreamFormatRecord& f : reply.formats) {
    EXPECT_EQ(f.pbFormat, nullptr);
    EXPECT_EQ(f.cbFormat, 0u);
  }
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, FailedFormatBlockAllocationFailsTheReadAndFreesTheVideoBlock) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard", kProtocol80);
  // The audio block comes second: the video block is already allocated when it fails.
  MallocSpy().FailAllocationsOfSize(protocol::kWaveFormatExSize);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().FailedAllocations(), 1);
  EXPECT_EQ(MallocSpy().Allocations(), 1);
  EXPECT_EQ(MallocSpy().Outstanding(), 0);
  EXPECT_EQ(reply.formats[0].pbFormat, nullptr);
  EXPECT_EQ(reply.formats[0].cbFormat, 0u);
  source.Disconnect(error);
}

class ScriptedReplyTest : public TransportTest {
 protected:
  // Connects a source to the scripted peer and lets the peer take the request.
  void ConnectToPeer(TestTcpSource& source, int protocol) {
    source.SetHost("127.0.0.1");
    source.SetPort(peer.Port());
    source.SetRequest("/ZAMS80/0000live-alias:x", protocol);
    std::wstring error;
    ASSERT_TRUE(source.Connect(error)) << Narrow(error);
    ASSERT_TRUE(peer.Accept());
    peer.Receive(source.Request().size());
  }
  LocalPeer peer;
};

TEST_F(ScriptedReplyTest, PeerThatClosesWithoutAnsweringDoesNotRespond) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol80);
  peer.Close();
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"Media Server doesn't respond");
  source.Disconnect(error);
}

TEST_F(ScriptedReplyTest, UnknownVersionSetsItsResultAndFailsAsIncompatible) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol80);
  auto prologue = protocol::EncodeReplyPrologue(protocol::kReplyMagic, 26);
  peer.Send(prologue);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(source.ReadServerReply(reply.formats, reply.status, error, TRUE));
  EXPECT_EQ(error, L"Incompatible server and client versions.");
  EXPECT_EQ(reply.status.result, kResultIncompatible);
  source.Disconnect(error);
}

TEST_F(ScriptedReplyTest, Protocol80ExtensionIsReadAndDiscarded) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol80);
  // A string follows the reply directly: it is read right only if the extension was skipped.
  std::vector<uint8_t> bytes = VideoOnlyReply(kProtocolVersion80, 3000);
  auto text = StringBytes("after");
  bytes.insert(bytes.end(), text.begin(), text.end());
  peer.Send(bytes);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, FALSE)) << Narrow(error);
  std::wstring after;
  ASSERT_TRUE(source.ReadString(after, error)) << Narrow(error);
  EXPECT_EQ(after, L"after");
  source.Disconnect(error);
}

TEST_F(ScriptedReplyTest, EmptyExtensionAndAbsentAudioReadNothingMore) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol80);
  std::vector<uint8_t> bytes = VideoOnlyReply(kProtocolVersion80, 0);
  auto text = StringBytes("next");
  bytes.insert(bytes.end(), text.begin(), text.end());
  peer.Send(bytes);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, FALSE)) << Narrow(error);
  EXPECT_EQ(reply.formats[1].majortype, GUID_NULL);
  EXPECT_EQ(reply.formats[1].cbFormat, 0u);
  EXPECT_EQ(reply.formats[1].pbFormat, nullptr);
  EXPECT_EQ(MallocSpy().Outstanding(), 1);
  std::wstring next;
  ASSERT_TRUE(source.ReadString(next, error)) << Narrow(error);
  EXPECT_EQ(next, L"next");
  source.Disconnect(error);
}

TEST_F(ScriptedReplyTest, Protocol25ReplyHasNoExtension) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol25);
  peer.Send(VideoOnlyReply(kProtocolVersion25));
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  EXPECT_EQ(reply.formats[0].cbFormat, protocol::kVideoInfoHeaderSize);
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
