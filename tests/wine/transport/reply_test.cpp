// Reading the server's reply and the string that may follow it through the socket: the
// reference server's fault modes end in their exact texts and results, nothing is left allocated
// when a reply fails, an extension is skipped, and the string is UTF-8 with protocol 80 and the
// thread's ANSI code page with protocol 25 (whose reply is accepted too), bounded before it is
// allocated. A whole reply from the server is read in FrameReadTest, its playlist string over
// TCP in NegotiationTest and over HTTP in HttpSourceTest.
#include "com/code_page_text.h"
#include "protocol/result_codes.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

class ServerReplyTest : public TransportTest {};

TEST_F(ServerReplyTest, FaultModesEndInTheirTextsAndResultsWithNothingAllocated) {
  const struct {
    const char* request;
    const wchar_t* text;
    uint32_t result;
  } cases[] = {
      {"/ZAMS80/0000live-alias:testcard#wrong-magic", L"Unrecognized response from Server",
       protocol::kResultWrongMagic},
      {"/ZAMS80/0000live-alias:testcard#version25", L"ServerSupportsProtocol25Only", 0},
      {"/ZAMS80/0000live-alias:testcard#result=0x8FFF0543", L"", 0x8FFF0543},
      {"/ZAMS80/0000live-alias:testcard#oversize=format", L"Error receiving data from Server", 0},
  };
  for (const auto& c : cases) {
    TestTcpSource source(ServerPort());
    ConnectToServer(source, c.request, kProtocol80);
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

TEST_F(ServerReplyTest, OversizeStringLengthFailsWithTheReceiveText) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000playlist:0:testcards#oversize=string", kProtocol80);
  ReplyRecords reply;
  std::wstring error, text = L"untouched";
  ASSERT_TRUE(reply.Read(source, error, FALSE)) << error;
  EXPECT_FALSE(source.ReadString(text, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(text, L"untouched");
  source.Disconnect(error);
}

class ScriptedReplyTest : public PeerTest {};

TEST_F(ScriptedReplyTest, StringAfterTheReplyIsReadInTheProtocolsEncodingPastAnExtension) {
  const std::string ansi = "Caf\xE9";
  const std::wstring fromAnsi = com::CodePageToWide(ansi, CP_THREAD_ACP);
  ASSERT_EQ(fromAnsi.size(), 4u);
  // The same bytes are no UTF-8: reading them as protocol 80 would not give this text.
  ASSERT_NE(com::CodePageToWide(ansi, CP_UTF8), fromAnsi);
  const struct {
    int protocol;
    size_t extensionBytes;  // protocol 80 only: a string read right proves the extension skipped
    std::string bytes;
    std::wstring text;
  } cases[] = {{kProtocol80, 3000, "Caf\xC3\xA9 \xE2\x82\xAC", L"Caf\u00E9 \u20AC"}, {kProtocol25, 0, ansi, fromAnsi}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.protocol);
    TestTcpSource source(0);
    ConnectToPeer(source, "playlist:0:x", c.protocol);
    std::vector<uint8_t> bytes = VideoOnlyReply(static_cast<uint32_t>(c.protocol), c.extensionBytes);
    const std::vector<uint8_t> text = StringBytes(c.bytes);
    bytes.insert(bytes.end(), text.begin(), text.end());
    peer.Send(bytes);
    ReplyRecords reply;
    std::wstring error, read;
    ASSERT_TRUE(reply.Read(source, error, FALSE)) << error;
    EXPECT_EQ(source.ProtocolVersion(), c.protocol);
    EXPECT_EQ(reply.formats[1].majortype, GUID_NULL) << "no audio stream: no block";
    EXPECT_EQ(reply.formats[1].pbFormat, nullptr);
    EXPECT_EQ(reply.formats[1].cbFormat, 0u);
    EXPECT_EQ(MallocSpy().Outstanding(), 1);
    ASSERT_TRUE(source.ReadString(read, error)) << error;
    EXPECT_EQ(read, c.text);
    source.Disconnect(error);
    peer.Close();
  }
}

}  // namespace
}  // namespace zm::tests
