// Reading the string that follows a playlist reply: UTF-8 with protocol 80, the thread's
// ANSI code page with protocol 25 (whose reply is accepted too), bounded before it is allocated.
#include "com/code_page_text.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

class StringReadTest : public PeerTest {
 protected:
  std::wstring ReplyThenString(int protocol, const std::string& bytes) {
    TestTcpSource source(0);
    ConnectToPeer(source, "playlist:0:x", protocol);
    auto reply = VideoOnlyReply(static_cast<uint32_t>(protocol));
    auto text = StringBytes(bytes);
    reply.insert(reply.end(), text.begin(), text.end());
    peer.Send(reply);
    ReplyRecords records;
    std::wstring error, result;
    EXPECT_TRUE(records.Read(source, error, FALSE)) << error;
    EXPECT_EQ(source.ProtocolVersion(), protocol);  // a version-25 reply is accepted for a protocol-25 request
    EXPECT_TRUE(source.ReadString(result, error)) << error;
    source.Disconnect(error);
    return result;
  }
};

TEST_F(StringReadTest, PlaylistStringFollowsTheServersReply) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000playlist:0:testcards", kProtocol80);
  ReplyRecords reply;
  std::wstring error, text;
  ASSERT_TRUE(reply.Read(source, error, FALSE)) << error;
  ASSERT_TRUE(source.ReadString(text, error)) << error;
  EXPECT_EQ(text.rfind(L"testcard.zmf<xml>", 0), 0u) << text;
  EXPECT_NE(text.find(L"<file>testcard.zmf</file>"), std::wstring::npos);
  source.Disconnect(error);
}

TEST_F(StringReadTest, OversizeStringLengthFailsWithTheReceiveText) {
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

TEST_F(StringReadTest, Protocol80StringIsUtf8AndProtocol25TheThreadsAnsiCodePage) {
  EXPECT_EQ(ReplyThenString(kProtocol80, "Caf\xC3\xA9 \xE2\x82\xAC"), L"Caf\u00E9 \u20AC");
  const std::string ansi = "Caf\xE9";
  const std::wstring expected = com::CodePageToWide(ansi, CP_THREAD_ACP);
  ASSERT_EQ(expected.size(), 4u);
  // The same bytes are no UTF-8: reading them as protocol 80 would not give this text.
  ASSERT_NE(com::CodePageToWide(ansi, CP_UTF8), expected);
  EXPECT_EQ(ReplyThenString(kProtocol25, ansi), expected);
}

}  // namespace
}  // namespace zm::tests
