// Reading the server's reply through the socket: the reference server's fault modes end in
// their exact texts and results, the records' format blocks come from the task allocator,
// and nothing is left allocated when a reply fails.
#include "protocol/result_codes.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using protocol::kProtocolVersion80;

class ServerReplyTest : public TransportTest {};

TEST_F(ServerReplyTest, LiveAliasReplyCarriesVideoThenAudioInTaskAllocatorBlocks) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard", kProtocol80);
  ReplyRecords reply;
  std::wstring error = L"stale";
  ASSERT_TRUE(reply.Read(source, error)) << error;
  EXPECT_EQ(error, L"");
  EXPECT_EQ(reply.status.resourceKind, 1);
  EXPECT_EQ(reply.formats[0].majortype, transport::ToWindowsGuid(protocol::MEDIATYPE_Video));
  EXPECT_EQ(reply.formats[1].majortype, transport::ToWindowsGuid(protocol::MEDIATYPE_Audio));
  EXPECT_EQ(reply.formats[0].formattype, transport::ToWindowsGuid(protocol::FORMAT_VideoInfo));
  ASSERT_EQ(reply.formats[1].cbFormat, protocol::kWaveFormatExSize);
  auto audio = protocol::DecodeWaveFormatEx({reply.formats[1].pbFormat, reply.formats[1].cbFormat});
  ASSERT_TRUE(audio.ok());
  EXPECT_EQ(audio.value().samplesPerSec, 44100u);
  // Both blocks came from the task allocator, for the session to free.
  EXPECT_EQ(MallocSpy().Outstanding(), 2);
  source.Disconnect(error);
}

TEST_F(ServerReplyTest, FaultModesEndInTheirTextsAndResultsWithNothingAllocated) {
  const struct {
    const char* request;
    int protocol;
    const wchar_t* text;
    uint32_t result;
  } cases[] = {
      {"/ZAMS80/0000live-alias:testcard#wrong-magic", kProtocol80, L"Unrecognized response from Server",
       protocol::kResultWrongMagic},
      {"/ZAMS80/0000live-alias:testcard#version25", kProtocol80, L"ServerSupportsProtocol25Only", 0},
      {"/ZAMS80/0000live-alias:testcard#result=0x8FFF0543", kProtocol80, L"", 0x8FFF0543},
      {"/ZAMS80/0000live-alias:testcard#oversize=format", kProtocol80, L"Error receiving data from Server", 0},
  };
  for (const auto& c : cases) {
    TestTcpSource source(ServerPort());
    ConnectToServer(source, c.request, c.protocol);
    ReplyRecords reply;
    std::wstring error = L"stale";
    EXPECT_FALSE(reply.Read(source, error)) << c.request;
    EXPECT_EQ(error, c.text) << c.request;
    EXPECT_EQ(reply.status.result, c.result) << c.request;
    EXPECT_EQ(source.ProtocolVersion(), kProtocol80) << c.request;
    EXPECT_EQ(MallocSpy().Allocations(), 0) << c.request;
    for (const StreamFormatRecord& f : reply.formats) EXPECT_TRUE(f.pbFormat == nullptr && f.cbFormat == 0);
    source.Disconnect(error);
  }
}

TEST_F(ServerReplyTest, FailedFormatBlockAllocationFailsTheReadAndFreesTheVideoBlock) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000live-alias:testcard", kProtocol80);
  // The audio block comes second: the video block is already allocated when it fails.
  MallocSpy().FailAllocationsOfSize(protocol::kWaveFormatExSize);
  ReplyRecords reply;
  std::wstring error;
  EXPECT_FALSE(reply.Read(source, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().FailedAllocations(), 1);
  EXPECT_EQ(MallocSpy().Allocations(), 1);
  EXPECT_EQ(MallocSpy().Outstanding(), 0);
  EXPECT_EQ(reply.formats[0].pbFormat, nullptr);
  source.Disconnect(error);
}

class ScriptedReplyTest : public PeerTest {};

TEST_F(ScriptedReplyTest, ExtensionIsSkippedAndAnAbsentStreamHasNoBlock) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  // A string follows the reply directly: it is read right only if the extension was skipped.
  std::vector<uint8_t> bytes = VideoOnlyReply(kProtocolVersion80, 3000);
  auto text = StringBytes("after");
  bytes.insert(bytes.end(), text.begin(), text.end());
  peer.Send(bytes);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(reply.Read(source, error, FALSE)) << error;
  EXPECT_EQ(reply.formats[1].majortype, GUID_NULL);
  EXPECT_EQ(reply.formats[1].pbFormat, nullptr);
  EXPECT_EQ(reply.formats[1].cbFormat, 0u);
  EXPECT_EQ(MallocSpy().Outstanding(), 1);
  std::wstring after;
  ASSERT_TRUE(source.ReadString(after, error)) << error;
  EXPECT_EQ(after, L"after");
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
