// The HTTPS transport: the eight suites the client offers, each one a handshake with a peer
// that allows it alone; the reference server's stream read inside TLS on its own port and on
// the main port, with commands written while a read waits; a read ended by the watchdog or a
// Disconnect; a server that stops inside a record; and failed connects (a handshake fault of
// the server among them) in their texts.
// clang-format off
#include <wolfssl/options.h>
#include <cyassl/ssl.h>
#define USE_CERT_BUFFERS_2048
#include <wolfssl/certs_test.h>
// clang-format on

#include <atomic>
#include <cstdlib>
#include <thread>

#include "transport/https_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using TestHttpsSource = Exposed<transport::CZHttpsMediaFramesSource>;
constexpr char kFile[] = "/ZAMS80/0000file:testcard.zmf";

// The cipher suites of the client's hello, read ahead of the TLS library without taking them.
std::vector<uint16_t> PeekOfferedSuites(SOCKET s) {
  std::vector<uint8_t> hello(2048);
  for (int tries = 0; tries < 100; Sleep(20), ++tries) {
    const int n = recv(s, reinterpret_cast<char*>(hello.data()), static_cast<int>(hello.size()), MSG_PEEK);
    // record header 5, handshake header 4, version 2, random 32, then the session id
    const size_t at = n > 44 ? 44u + hello[43] : hello.size();
    if (n < 0 || static_cast<size_t>(n) < at + 2) continue;
    const size_t length = hello[at] << 8 | hello[at + 1];
    if (static_cast<size_t>(n) < at + 2 + length) continue;
    std::vector<uint16_t> suites;
    for (size_t i = 0; i < length; i += 2) suites.push_back(hello[at + 2 + i] << 8 | hello[at + 3 + i]);
    return suites;
  }
  return {};
}

// A TLS 1.2 server's context with the library's test certificate and DH group.
WOLFSSL_CTX* NewServerContext() {
  WOLFSSL_CTX* context = CyaSSL_CTX_new(CyaTLSv1_2_server_method());
  if (!context) return nullptr;
  CyaSSL_CTX_use_certificate_buffer(context, server_cert_der_2048, sizeof_server_cert_der_2048, SSL_FILETYPE_ASN1);
  CyaSSL_CTX_use_PrivateKey_buffer(context, server_key_der_2048, sizeof_server_key_der_2048, SSL_FILETYPE_ASN1);
  wolfSSL_CTX_SetTmpDH_buffer(context, dh_key_der_2048, sizeof_dh_key_der_2048, SSL_FILETYPE_ASN1);
  return context;
}

// The TLS library's blocks, counted through its allocator hooks.
std::atomic<long> g_tlsBlocks{0};
void* CountingMalloc(size_t size) {
  void* block = std::malloc(size);
  return g_tlsBlocks += block != nullptr, block;
}
void CountingFree(void* block) { g_tlsBlocks -= block != nullptr, std::free(block); }
void* CountingRealloc(void* block, size_t size) {
  void* moved = std::realloc(block, size);
  return g_tlsBlocks += (!block && moved) - (block && size == 0), moved;
}

class HttpsSourceTest : public PeerTest {};

TEST_F(HttpsSourceTest, OffersExactlyEightSuitesAndCompletesAHandshakeWithEach) {
  const char* const suites[] = {
      "AES128-SHA",    "DHE-RSA-AES128-SHA",    "AES256-SHA",           "DHE-RSA-AES256-SHA", "AES128-SHA256",
      "AES256-SHA256", "DHE-RSA-AES128-SHA256", "DHE-RSA-AES256-SHA256"};
  const std::vector<uint16_t> expected = {0x002F, 0x0033, 0x0035, 0x0039, 0x003C, 0x003D, 0x0067, 0x006B};  // in order
  const std::vector<uint8_t> reply = VideoOnlyReply(80);
  for (const char* name : suites) {
    SCOPED_TRACE(name);
    WOLFSSL_CTX* context = NewServerContext();
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(CyaSSL_CTX_set_cipher_list(context, name), SSL_SUCCESS);
    std::vector<uint16_t> offered;
    std::string negotiated, request;
    std::thread server([&] {
      if (!peer.Accept()) return;
      offered = PeekOfferedSuites(peer.Client());
      WOLFSSL* tls = CyaSSL_new(context);
      CyaSSL_set_fd(tls, static_cast<int>(peer.Client()));
      if (CyaSSL_accept(tls) == SSL_SUCCESS) {
        negotiated = wolfSSL_get_cipher_name(tls);
        char bytes[64];
        request.assign(bytes, static_cast<size_t>(std::max(0, CyaSSL_read(tls, bytes, sizeof bytes))));
        CyaSSL_write(tls, reply.data(), static_cast<int>(reply.size()));
      }
      CyaSSL_free(tls);
    });
    TestHttpsSource source;
    EXPECT_EQ(Connect(source, peer.Port(), kFile), L"");
    ReplyRecords records;
    std::wstring error;
    EXPECT_TRUE(records.Read(source, error)) << error;
    server.join();
    std::erase(offered, 0x00FF);  // the renegotiation signal, a marker in the list and no suite
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(negotiated, name);
    EXPECT_EQ(request, kFile);
    source.Disconnect(error);
    peer.Close();
    CyaSSL_CTX_free(context);
  }
}

TEST_F(HttpsSourceTest, ServerStreamIsTheTcpProtocolInsideTlsOnEitherPort) {
  const char* httpsPort = std::getenv("ZMS_HTTPS_PORT");
  for (const uint16_t port : {static_cast<uint16_t>(httpsPort ? std::atoi(httpsPort) : 0), ServerPort()}) {
    TestHttpsSource source;
    EXPECT_EQ(source.Port(), 443);
    ASSERT_EQ(Connect(source, port, kFile), L"") << "port " << port;
    ReplyRecords reply;
    std::wstring error;
    ASSERT_TRUE(reply.Read(source, error)) << error;
    // Commands from another thread go out while this one reads.
    std::atomic<bool> reading{true};
    std::atomic<int> commandsSent{0};
    std::thread commands([&] {
      for (int i = 0; reading; Sleep(5), ++i) {
        std::wstring e;
        commandsSent += source.SendCommand(i % 2 ? "RTPFileContinue" : "RTPFilePause", e);
      }
    });
    int frames = 0;
    for (; frames < 60; ++frames) {
      FrameRecord f;
      if (!source.ReadFrame(f.frame, error)) break;
    }
    reading = false;
    commands.join();
    EXPECT_EQ(frames, 60) << error;
    EXPECT_GT(commandsSent, 2);
    source.Disconnect(error);
    EXPECT_FALSE(source.SendCommand("RTPFilePause", error));
    EXPECT_EQ(error, L"Error sending request to Media Server");
  }
}

TEST_F(HttpsSourceTest, WatchdogOrDisconnectEndsAWaitingRead) {
  for (const bool fromWatchdog : {true, false}) {
    TestHttpsSource source;
    ASSERT_EQ(Connect(source, ServerPort(), "/ZAMS80/0000live-alias:testcard#stall-after=1"), L"");
    std::wstring error;
    ReplyRecords reply;
    ASSERT_TRUE(reply.Read(source, error)) << error;
    source.SetTimeoutMs(fromWatchdog ? 800 : 60000);
    std::thread other([&] {
      Sleep(1500);
      std::wstring ignored;
      if (!fromWatchdog) source.Disconnect(ignored);
    });
    const DWORD start = GetTickCount();
    FrameRecord first, stalled;
    EXPECT_TRUE(source.ReadFrame(first.frame, error)) << error;
    EXPECT_FALSE(source.ReadFrame(stalled.frame, error));
    other.join();
    EXPECT_EQ(error, L"Error receiving data from Server");
    EXPECT_LT(GetTickCount() - start, 5000u);
  }
}

// A Disconnect from another thread ends a handshake the server never answers.
TEST_F(HttpsSourceTest, DisconnectFromAnotherThreadEndsAHandshakeThatHangs) {
  TestHttpsSource source;
  std::thread stopping([&] {
    if (!peer.Accept()) return;
    Sleep(300);
    std::wstring ignored;
    source.Disconnect(ignored);
  });
  const DWORD start = GetTickCount();
  EXPECT_EQ(Connect(source, peer.Port(), kFile), L"HTTPS initialization error");
  EXPECT_LT(GetTickCount() - start, 3000u);
  stopping.join();
}

// The server stops in the middle of a TLS record, after half a frame went in whole records:
// the read fails with its text and the frame's payload is freed.
TEST_F(HttpsSourceTest, ServerStoppingInsideARecordEndsTheReadAndFreesThePayload) {
  WOLFSSL_CTX* context = NewServerContext();
  ASSERT_NE(context, nullptr);
  const std::vector<uint8_t> reply = VideoOnlyReply(80);
  const std::vector<uint8_t> frame = FrameBytes(protocol::kStreamTypeVideo, std::string(3000, 'p'));
  std::thread server([&] {
    if (!peer.Accept()) return;
    WOLFSSL* tls = CyaSSL_new(context);
    CyaSSL_set_fd(tls, static_cast<int>(peer.Client()));
    if (CyaSSL_accept(tls) == SSL_SUCCESS) {
      char request[64];
      CyaSSL_read(tls, request, sizeof request);
      CyaSSL_write(tls, reply.data(), static_cast<int>(reply.size()));
      CyaSSL_write(tls, frame.data(), 1000);
      // An application-data record that announces 1,024 bytes and brings 100.
      std::vector<uint8_t> cut = {0x17, 0x03, 0x03, 0x04, 0x00};
      cut.resize(cut.size() + 100, 0xA5);
      peer.Send(cut);
    }
    CyaSSL_free(tls);
    peer.Close();
  });
  TestHttpsSource source;
  ASSERT_EQ(Connect(source, peer.Port(), kFile), L"");
  ReplyRecords records;
  std::wstring error;
  EXPECT_TRUE(records.Read(source, error)) << error;
  const long allocated = MallocSpy().Allocations();
  FrameRecord broken;
  EXPECT_FALSE(source.ReadFrame(broken.frame, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().Allocations() - allocated, 1);  // the payload, freed again
  EXPECT_EQ(broken.frame.data, nullptr);
  server.join();
  source.Disconnect(error);
  CyaSSL_CTX_free(context);
}

// A second Connect (a credential or protocol retry) frees the first session and context, and
// the last source frees the library's state: the library's blocks return to their count.
TEST_F(HttpsSourceTest, ASecondConnectFreesTheFirstSessionAndTheLastSourceLeavesNothing) {
  ASSERT_EQ(wolfSSL_SetAllocators(CountingMalloc, CountingFree, CountingRealloc), 0);
  auto session = [](int connects) {
    TestHttpsSource source;
    std::wstring error;
    for (int i = 0; i < connects; ++i) {
      EXPECT_EQ(Connect(source, ServerPort(), "/ZAMS80/0000live-alias:testcard"), L"");
      ReplyRecords reply;
      EXPECT_TRUE(reply.Read(source, error)) << error;
    }
    source.Disconnect(error);
  };
  session(1);  // what the library made before counting began is gone with its last source
  const long before = g_tlsBlocks;
  session(3);
  EXPECT_EQ(g_tlsBlocks.load(), before);
  wolfSSL_SetAllocators(nullptr, nullptr, nullptr);
}

// Run against a server started with --fault tls11-only or --fault close-in-handshake.
TEST_F(HttpsSourceTest, HandshakeFaultAndUnreachableServersFailConnectInTheirTexts) {
  const struct {
    const char* host;
    uint16_t port;
    const wchar_t* text;
  } cases[] = {{"127.0.0.1", ServerPort(), L"HTTPS initialization error"},
               {"no-such-host.invalid", 443, L"Can not resolve media Server IP Address"},
               {"127.0.0.1", 1, L"Media Server doesn't respond"}};
  for (const auto& c : cases) {
    TestHttpsSource source;
    EXPECT_EQ(Connect(source, c.port, "/ZAMS80/0000file:a", kProtocol80, c.host), c.text);
  }
}

}  // namespace
}  // namespace zm::tests
