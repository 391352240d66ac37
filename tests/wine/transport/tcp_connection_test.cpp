// The TCP connection: resolving and connecting, the request and the commands as exact
// bytes on the wire, commands while the grabber thread is blocked in a read, disconnecting.
#include <ws2tcpip.h>

#include <thread>

#include "transport/local_peer.h"
#include "transport/peer_replies.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

class TcpConnectionTest : public TransportTest {
 protected:
  void ConnectToPeer(TestTcpSource& source, const std::string& request) {
    source.SetHost("127.0.0.1");
    source.SetPort(peer.Port());
    source.SetRequest(request, kProtocol80);
    std::wstring error;
    ASSERT_TRUE(source.Connect(error)) << Narrow(error);
    ASSERT_TRUE(peer.Accept());
  }
  LocalPeer peer;
};

TEST_F(TcpConnectionTest, RequestIsSentAsExactlyItsBytesWithoutTerminator) {
  TestTcpSource source(0);
  const std::string request = "/ZAMS80/0000live-alias:caf\xC3\xA9///HASH:0123";
  ConnectToPeer(source, request);
  EXPECT_EQ(peer.Receive(request.size() + 16, 300), request);
  std::wstring error;
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, CommandsAreWrittenWithoutTerminatorLengthOrLineEnd) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  peer.Receive(1);
  std::wstring error = L"stale";
  ASSERT_TRUE(source.SendCommand("Seek:12", error));
  EXPECT_EQ(error, L"");
  ASSERT_TRUE(source.SendCommand("RTPFilePause", error));
  ASSERT_TRUE(source.SendCommand("RTPFileContinue", error));
  EXPECT_EQ(peer.Receive(64, 300), "Seek:12RTPFilePauseRTPFileContinue");
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, CommandReachesThePeerWhileTheReaderIsBlocked) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  peer.Receive(1);
  FrameRecord f;
  BOOL readOk = FALSE;
  std::wstring readError;
  // The reader blocks in recv until the peer has seen the command and answers with a frame.
  std::thread reader([&] { readOk = source.ReadFrame(f.frame, readError); });
  Sleep(100);
  std::wstring error;
  EXPECT_TRUE(source.SendCommand("RTPFileContinue", error)) << Narrow(error);
  EXPECT_EQ(peer.Receive(15, 5000), "RTPFileContinue");
  peer.Send(FrameBytes(protocol::kStreamTypeVideo, "payload", 42));
  reader.join();
  EXPECT_TRUE(readOk) << Narrow(readError);
  EXPECT_EQ(f.frame.time, 42);
  ASSERT_EQ(f.frame.length, 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.frame.data), 7), "payload");
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, SeekCommandRepositionsAStoredItem) {
  TestTcpSource source(ServerPort());
  ConnectToServer(source, "/ZAMS80/0000file:testcard.zmf", kProtocol80);
  ReplyRecords reply;
  std::wstring error;
  ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
  ASSERT_TRUE(source.SendCommand("Seek:7", error)) << Narrow(error);
  // Frames sent before the command arrived come first; the repositioned one is marked.
  for (int i = 0; i < 600; ++i) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
    if (f.frame.hasNewFormat) {
      EXPECT_GE(f.frame.time, 7 * 10000000LL);
      source.Disconnect(error);
      return;
    }
  }
  ADD_FAILURE() << "no frame after the seek";
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, ConnectionHasNagleOffAndKeepAliveOnlyWhenAsked) {
  TestTcpSource plain(0);
  ConnectToPeer(plain, "r");
  EXPECT_EQ(plain.SocketOption(IPPROTO_TCP, TCP_NODELAY), 1);
  EXPECT_EQ(plain.SocketOption(SOL_SOCKET, SO_KEEPALIVE), 0);
  std::wstring error;
  plain.Disconnect(error);
  peer.Close();

  TestTcpSource kept(0);
  kept.AskForKeepAlive();
  ConnectToPeer(kept, "r");
  EXPECT_EQ(kept.SocketOption(SOL_SOCKET, SO_KEEPALIVE), 1);
  kept.Disconnect(error);
}

TEST_F(TcpConnectionTest, NonBlockingReadWithNothingAtFrameStartStopsAtOnce) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  peer.Receive(1);
  source.SetNonBlocking();
  FrameRecord f;
  std::wstring error;
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(source.StoppedAtFrameStart(), 1);
  // The connection stays usable: the next frame is read whole.
  peer.Send(FrameBytes(protocol::kStreamTypeAudio, "abc"));
  Sleep(100);
  EXPECT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
  EXPECT_EQ(source.StoppedAtFrameStart(), 0);
  EXPECT_EQ(f.frame.length, 3u);
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, NonBlockingReadInsideAFrameWaitsForTheRest) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  peer.Receive(1);
  source.SetNonBlocking();
  auto bytes = FrameBytes(protocol::kStreamTypeVideo, "0123456789");
  peer.Send(std::span<const uint8_t>(bytes.data(), 45));
  Sleep(100);
  std::thread rest([&] {
    Sleep(200);
    peer.Send(std::span<const uint8_t>(bytes.data() + 45, bytes.size() - 45));
  });
  FrameRecord f;
  std::wstring error;
  EXPECT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
  rest.join();
  ASSERT_EQ(f.frame.length, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.frame.data), 10), "0123456789");
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, SendRequestWritesTheRequestAgain) {
  TestTcpSource source(0);
  ConnectToPeer(source, "again");
  EXPECT_TRUE(source.SendRequest());
  EXPECT_EQ(peer.Receive(10, 1000), "againagain");
  std::wstring error;
  source.Disconnect(error);
  EXPECT_FALSE(source.SendRequest());
}

TEST_F(TcpConnectionTest, HostNameIsResolved) {
  TestTcpSource source(peer.Port());
  source.SetHost("localhost");
  source.SetRequest("r", kProtocol80);
  std::wstring error;
  EXPECT_TRUE(source.Connect(error)) << Narrow(error);
  EXPECT_TRUE(peer.Accept());
  source.Disconnect(error);
}

TEST_F(TcpConnectionTest, UnresolvableHostFailsWithTheResolveText) {
  TestTcpSource source(5119);
  source.SetHost("no-such-host.invalid");
  std::wstring error;
  EXPECT_FALSE(source.Connect(error));
  EXPECT_EQ(error, L"Can not resolve media Server IP Address");
  EXPECT_FALSE(source.IsConnected());
}

TEST_F(TcpConnectionTest, RefusedConnectionDoesNotRespond) {
  uint16_t closedPort;
  {
    LocalPeer gone;
    closedPort = gone.Port();
  }
  TestTcpSource source(closedPort);
  source.SetHost("127.0.0.1");
  source.SetRequest("r", kProtocol80);
  std::wstring error;
  EXPECT_FALSE(source.Connect(error));
  EXPECT_EQ(error, L"Media Server doesn't respond");
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_FALSE(source.IsConnected());
}

TEST_F(TcpConnectionTest, DisconnectClosesOnceAndThenDoesNothing) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  std::wstring error = L"stale";
  EXPECT_TRUE(source.Disconnect(error));
  EXPECT_EQ(error, L"");
  EXPECT_FALSE(source.IsConnected());
  // The peer sees the connection end.
  peer.Receive(1);
  EXPECT_EQ(peer.Receive(1, 1000), "");
  EXPECT_TRUE(source.Disconnect(error));
}

TEST_F(TcpConnectionTest, CommandAfterDisconnectFailsWithWinSockError) {
  TestTcpSource source(0);
  ConnectToPeer(source, "r");
  std::wstring error;
  source.Disconnect(error);
  EXPECT_FALSE(source.SendCommand("RTPFilePause", error));
  EXPECT_EQ(error, L"WinSock Error");
}

TEST_F(TcpConnectionTest, SecondConnectAfterFailureUsesANewSocket) {
  TestTcpSource source(0);
  source.SetHost("127.0.0.1");
  source.SetRequest("again", kProtocol80);
  std::wstring error;
  EXPECT_FALSE(source.Connect(error));  // port 0 cannot be connected to
  source.Disconnect(error);
  source.SetPort(peer.Port());
  ASSERT_TRUE(source.Connect(error)) << Narrow(error);
  ASSERT_TRUE(peer.Accept());
  EXPECT_EQ(peer.Receive(5, 1000), "again");
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
