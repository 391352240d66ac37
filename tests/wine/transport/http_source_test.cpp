// The HTTP transport: the GET and the command POST byte for byte with a fresh client id, the
// response head and chunk framing a scripted peer gets wrong ending in their texts, and the
// reference server's chunked stream read whole, with a seek POST reaching that same stream.
// (A read that fails inside a frame frees its payload whatever the transport: FrameReadTest.)
#include <cstdio>
#include <regex>

#include "transport/http_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using transport::CZHttpMediaFramesSource;

constexpr char kHead[] = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

bool IsClientIdShape(const std::string& id) {
  return std::regex_match(id, std::regex("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"));
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }
std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class HttpSourceTest : public PeerTest {};

TEST_F(HttpSourceTest, GetAndPostCarryTheRequestAndOneFreshClientIdEach) {
  CZHttpMediaFramesSource source(peer.Port());
  ConnectTo(source, peer.Port(), "/ZAMS80/0000file:a%2Ezmf", kProtocol80);
  ASSERT_TRUE(peer.Accept());
  const std::string id = source.ClientId();
  EXPECT_TRUE(IsClientIdShape(id)) << id;
  const std::string get = "GET /ZMSHttp/ZAMS80/0000file:a%2Ezmf/ClientId/" + id +
                          " HTTP/1.1\r\nUser-Agent: ZMSPlayer\r\nHost: 127.0.0.1\r\nPragma: no-cache\r\n"
                          "Cache-Control: no-cache\r\n\r\n";
  EXPECT_EQ(get, peer.Receive(get.size() + 1, 200));  // nothing after the blank line
  peer.Close();
  std::wstring error = L"stale";
  EXPECT_TRUE(source.SendCommand("Seek:7", error));
  EXPECT_EQ(L"", error);
  ASSERT_TRUE(peer.Accept());
  EXPECT_EQ("POST" + get.substr(3, get.size() - 5) + "Content-Length: 0\r\nX-ZMSCommand: Seek:7\r\n\r\n",
            peer.Receive(4096));
  source.SetRequest("file:b", kProtocol25);
  EXPECT_NE(id, source.ClientId());
  EXPECT_TRUE(IsClientIdShape(source.ClientId()));
  EXPECT_EQ(0u, source.Request().find("GET /ZMSHttpfile:b/ClientId/" + source.ClientId() + " HTTP/1.1\r\n"));
}

TEST_F(HttpSourceTest, HeadAndChunkFramingFailuresEndInTheirTexts) {
  const std::vector<uint8_t> reply = VideoOnlyReply(80);
  const std::vector<uint8_t> first(reply.begin(), reply.begin() + 10), rest(reply.begin() + 10, reply.end());
  auto chunk = [](const std::vector<uint8_t>& body, const char* extension = "") {
    char line[32];
    std::snprintf(line, sizeof line, "%zX%s\r\n", body.size(), extension);
    return Text(line) + body + Text("\r\n");
  };
  const struct {
    std::vector<uint8_t> bytes;
    const wchar_t* text;
  } cases[] = {
      {Text(kHead) + chunk(reply), L""},
      {Text(kHead) + chunk(first, ";x=1") + chunk(rest), L""},  // cut otherwise by a proxy
      {Text("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"), L"NoHttpSupport"},
      {Text("HTTP/1.1 200 OK\r\n"), L"NoHttpSupport"},  // lost in the head
      {reply, L"NoHttpSupport"},                        // a plain server
      {Text(kHead) + Text("0123456789abcdef\r\n") + reply, L"Error receiving data from Server"},
      {Text(kHead) + Text("zz\r\n") + reply, L"Error receiving data from Server"},
      {Text(kHead) + Text("A\r\n") + first + Text("\n\r") + chunk(rest), L"Error receiving data from Server"},
      {Text(kHead) + Text("0\r\n\r\n"), L"Error receiving data from Server"},  // the body ended
  };
  for (const auto& c : cases) {
    LocalPeer scripted;
    CZHttpMediaFramesSource source(scripted.Port());
    ConnectTo(source, scripted.Port(), "live-alias:x", kProtocol80);
    ASSERT_TRUE(scripted.Accept());
    scripted.Send(c.bytes);
    scripted.Close();
    ReplyRecords records;
    std::wstring error = L"stale";
    EXPECT_EQ(*c.text == 0, records.Read(source, error) != FALSE) << c.bytes.size();
    EXPECT_EQ(c.text, error);
    if (*c.text == L'N') {
      EXPECT_EQ(protocol::SourceFailure::NoHttpSupport, source.LastFailure());
    }
    source.Disconnect(error);
  }
}

TEST_F(HttpSourceTest, ServerStreamIsReadChunkByChunkAndASeekPostMovesIt) {
  CZHttpMediaFramesSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000file:testcard%2Ezmf", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(reply.Read(source, error)) << error;
  FrameRecord first;
  ASSERT_TRUE(source.ReadFrame(first.frame, error)) << error;
  EXPECT_EQ(0, first.frame.time);
  ASSERT_TRUE(source.SendCommand("Seek:9", error)) << error;
  int64_t seekedTo = -1;
  for (int frames = 0; frames < 600 && seekedTo < 0; ++frames) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error;
    ASSERT_NE(0u, f.frame.length) << "the item ended before the seek arrived";
    if (f.frame.hasNewFormat) seekedTo = f.frame.time;
  }
  EXPECT_EQ(90000000, seekedTo);
  source.Disconnect(error);

  // A playlist's reply and string share one chunk.
  CZHttpMediaFramesSource list(ServerPort());
  ConnectToServer(list, "/ZAMS80/0000playlist:0:testcards", kProtocol80);
  ReplyRecords listReply;
  ASSERT_TRUE(listReply.Read(list, error, FALSE)) << error;
  std::wstring text;
  ASSERT_TRUE(list.ReadString(text, error)) << error;
  EXPECT_EQ(0u, text.find(L"testcard.zmf<xml><playlist"));
  FrameRecord entry;
  EXPECT_TRUE(list.ReadFrame(entry.frame, error)) << error;
  list.Disconnect(error);
}

// A server without HTTP, and its fallback, are proven through the control's playback.
TEST_F(HttpSourceTest, PostThatCannotConnectFailsWithTheSeekText) {
  std::wstring error;
  uint16_t closedPort = 0;
  {
    LocalPeer gone;
    closedPort = gone.Port();
  }
  CZHttpMediaFramesSource nowhere(closedPort);
  nowhere.SetHost("127.0.0.1");
  nowhere.SetRequest("file:a", kProtocol80);
  EXPECT_FALSE(nowhere.SendCommand("Seek:3", error));
  EXPECT_EQ(L"Error sending Seek request", error);
}

}  // namespace
}  // namespace zm::tests
