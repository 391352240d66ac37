// Reading the string that follows a playlist reply: UTF-8 with protocol 80, the thread's
// ANSI code page with protocol 25, bounded before it is allocated.
#include "transport/local_peer.h"
#include "transport/peer_replies.h"
#include "transport/transport_fixture.h"
#include "transport/wire_text.h"

namespace zm::tests {
namespace {

using protocol::kProtocolVersion25;
using protocol::kProtocolVersion80;

class StringReadTest : public TransportTest {
 protected:
  void ConnectToPeer(TestTcpSource& source, int protocol) {
    source.SetHost("127.0.0.1");
    source.SetPort(peer.Port());
    source.SetRequest("playlist:0:x", protocol);
    std::wstring error;
    ASSERT_TRUE(source.Connect(error)) << Narrow(error);
    ASSERT_TRUE(peer.Accept());
    peer.Receive(source.Request().size());
  }

  std::wstring ReplyThenString(int protocol, const std::string& bytes) {
    TestTcpSource source(0);
    ConnectToPeer(source, protocol);
    auto reply = VideoOnlyReply(protocol == kProtocol80 ? kProtocolVersion80 : kProtocolVersion25);
    auto text = StringBytes(bytes);
    reply.insert(reply.end(), text.begin(), text.end());
    peer.Send(reply);
    ReplyRecords records;
    std::wstring error, result;
    EXPECT_TRUE(source.ReadServerReply(records.formats, records.status, error, FALSE)) << Narrow(error);
    EXPECT_TRUE(source.ReadString(result, error)) << Narrow(error);
    source.Disconnect(error);
    return result;
  }

  LocalPeer peer;
};

TEST_F(StringReadTest, PlaylistStringFollowsTheServersReply) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000playlist:0:testcards", kProtocol80);
  ReplyRecords reply;
  std::wstring error, text;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, FALSE)) << Narrow(error);
  ASSERT_TRUE(source.ReadString(text, error)) << Narrow(error);
  EXPECT_EQ(text.rfind(L"testcard.zmf<xml>", 0), 0u) << Narrow(text);
  EXPECT_NE(text.find(L"<file>testcard.zmf</file>"), std::wstring::npos);
  source.Disconnect(error);
}

TEST_F(StringReadTest, OversizeStringLengthFailsWithTheReceiveText) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000playlist:0:testcards#oversize=string", kProtocol80);
  ReplyRecords reply;
  std::wstring error, text = L"untouched";
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, FALSE)) << Narrow(error);
  EXPECT_FALSE(source.ReadString(text, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(text, L"untouched");
  source.Disconnect(error);
}

TEST_F(StringReadTest, Protocol80StringIsUtf8) {
  EXPECT_EQ(ReplyThenString(kProtocol80, "Caf\xC3\xA9 \xE2\x82\xAC"), L"Caf\u00E9 \u20AC");
}

TEST_F(StringReadTest, Protocol25StringIsInTheThreadsAnsiCodePage) {
  const std::string bytes = "Caf\xE9";
  const std::wstring expected = transport::WireTextToWide(bytes, CP_THREAD_ACP);
  ASSERT_EQ(expected.size(), 4u);
  EXPECT_EQ(ReplyThenString(kProtocol25, bytes), expected);
  // The same bytes are no UTF-8: reading them as protocol 80 would not give this text.
  EXPECT_NE(transport::WireTextToWide(bytes, CP_UTF8), expected);
}

TEST_F(StringReadTest, EmptyStringIsEmptyText) { EXPECT_EQ(ReplyThenString(kProtocol80, ""), L""); }

TEST_F(StringReadTest, StringCutShortFailsWithTheReceiveText) {
  TestTcpSource source(0);
  ConnectToPeer(source, kProtocol80);
  auto bytes = VideoOnlyReply(kProtocolVersion80);
  auto length = protocol::EncodeWireStringLength(10);
  bytes.insert(bytes.end(), length.begin(), length.end());
  bytes.push_back('a');
  peer.Send(bytes);
  peer.Close();
  ReplyRecords reply;
  std::wstring error, text;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, FALSE)) << Narrow(error);
  EXPECT_FALSE(source.ReadString(text, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
