// The TCP connection: resolving and connecting, the request and the commands as exact
// bytes on the wire, commands while the grabber thread is blocked in a read, disconnecting.
#include <ws2tcpip.h>

#include <thread>

#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

class TcpConnectionTest : public PeerTest {};

TEST_F(TcpConnectionTest, RequestAndCommandsAreSentAsExactlyTheirBytesUntilDisconnectClosesOnce) {
  TestTcpSource source(0);
  const std::string request = "/ZAMS80/0000live-alias:caf\xC3\xA9///HASH:0123";
  EXPECT_EQ(ConnectToPeer(source, request), request);
  std::wstring error = L"stale";
  ASSERT_TRUE(source.SendCommand("Seek:12", error));
  EXPECT_EQ(error, L"");
  ASSERT_TRUE(source.SendCommand("RTPFilePause", error));
  // No terminator, length or line end anywhere.
  EXPECT_EQ(peer.Receive(64, 300), "Seek:12RTPFilePause");
  EXPECT_TRUE(source.SendRequest());
  EXPECT_EQ(peer.Receive(request.size() + 1, 300), request);

  error = L"stale";
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_EQ(error, L"");
  EXPECT_FALSE(source.IsConnected());
  EXPECT_EQ(peer.Receive(1, 1000), "");  // the peer sees the connection end
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_FALSE(source.SendCommand("RTPFilePause", error));
  EXPECT_EQ(error, L"WinSock Error");
  EXPECT_FALSE(source.SendRequest());
}

TEST_F(TcpConnectionTest, CommandReachesThePeerWhileTheReaderIsBlocked) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  FrameRecord f;
  BOOL readOk = FALSE;
  std::wstring readError;
  // The reader blocks in recv until the peer has seen the command and answers with a frame.
  std::thread reader([&] { readOk = source.ReadFrame(f.frame, readError); });
  Sleep(100);
  std::wstring error;
  EXPECT_TRUE(source.SendCommand("RTPFileContinue", error)) << error;
  EXPECT_EQ(peer.Receive(15, 5000), "RTPFileContinue");
  peer.Send(FrameBytes(protocol::kStreamTypeVideo, "payload", 42));
  reader.join();
  EXPECT_TRUE(readOk) << readError;
  EXPECT_EQ(f.frame.time, 42);
  ASSERT_EQ(f.frame.length, 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.frame.data), 7), "payload");
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, ConnectionHasNagleOffAndKeepAliveOnlyWhenAsked) {
  for (bool keepAlive : {false, true}) {
    TestTcpSource source(0);
    if (keepAlive) source.AskForKeepAlive();
    ConnectToPeer(source);
    EXPECT_EQ(source.SocketOption(IPPROTO_TCP, TCP_NODELAY), 1);
    EXPECT_EQ(source.SocketOption(SOL_SOCKET, SO_KEEPALIVE), keepAlive ? 1 : 0);
    std::wstring error;
    source.Disconnect(error);
    peer.Close();
  }
}

TEST_F(TcpConnectionTest, NonBlockingReadStopsAtOnceAtAFrameStartAndWaitsInsideAFrame) {
  TestTcpSource source(0);
  ConnectToPeer(source);
  source.SetNonBlocking();
  std::wstring error;
  {
    FrameRecord f;
    EXPECT_FALSE(source.ReadFrame(f.frame, error));
    EXPECT_EQ(error, L"Error receiving data from Server");
    EXPECT_EQ(source.StoppedAtFrameStart(), 1);
  }
  // The connection stays usable, and a frame that comes in two parts is read whole.
  auto bytes = FrameBytes(protocol::kStreamTypeVideo, "0123456789");
  peer.Send(std::span<const uint8_t>(bytes.data(), 45));
  Sleep(100);
  std::thread rest([&] {
    Sleep(200);
    peer.Send(std::span<const uint8_t>(bytes.data() + 45, bytes.size() - 45));
  });
  FrameRecord f;
  EXPECT_TRUE(source.ReadFrame(f.frame, error)) << error;
  rest.join();
  EXPECT_EQ(source.StoppedAtFrameStart(), 0);
  ASSERT_EQ(f.frame.length, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.frame.data), 10), "0123456789");
  source.Disconnect(error);
}

// The same source then connects: the name is resolved again and a new socket used.
TEST_F(TcpConnectionTest, ConnectFailuresEndInTheirTextsAndTheNextConnectStartsAfresh) {
  uint16_t closedPort;
  {
    LocalPeer gone;
    closedPort = gone.Port();
  }
  const struct {
    const char* host;
    uint16_t port;
    const wchar_t* text;
  } cases[] = {{"no-such-host.invalid", 5119, L"Can not resolve media Server IP Address"},
               {"127.0.0.1", closedPort, L"Media Server doesn't respond"},
               {"localhost", 0, L"Media Server doesn't respond"}};  // port 0 cannot be connected to
  TestTcpSource source(0);
  std::wstring error;
  for (const auto& c : cases) {
    EXPECT_EQ(Connect(source, c.port, "again", kProtocol80, c.host), c.text);
    EXPECT_TRUE(source.Disconnect(error));
    EXPECT_FALSE(source.IsConnected());
  }
  source.SetPort(peer.Port());
  ASSERT_TRUE(source.Connect(error)) << error;
  ASSERT_TRUE(peer.Accept());
  EXPECT_EQ(peer.Receive(5, 1000), "again");
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
