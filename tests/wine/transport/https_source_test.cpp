// The HTTPS transport: the eight suites the client offers, each one a handshake with a peer
// that allows it alone; the reference server's stream read inside TLS on its own port and on
// the main port, with commands written while a read waits; a read ended by the watchdog or a
// Disconnect; and the failures of resolving, connecting and handshaking in their texts.
// clang-format off
#include <wolfssl/options.h>
#include <cyassl/ssl.h>
#define USE_CERT_BUFFERS_2048
#include <wolfssl/certs_test.h>
// clang-format on

#include <atomic>
#include <thread>

#include "transport/https_source.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using transport::CZHttpsMediaFramesSource;

class TestHttpsSource : public CZHttpsMediaFramesSource {
 public:
  using CZHttpsMediaFramesSource::CZHttpsMediaFramesSource;
  void SetTimeoutMs(int ms) { m_nTimeoutMs = ms; }
};

uint16_t EnvironmentPort(const char* name) {
  const char* port = std::getenv(name);
  return port ? static_cast<uint16_t>(std::atoi(port)) : 0;
}

// The cipher suites of the client's hello, read ahead of the TLS library without taking them.
std::vector<uint16_t> PeekOfferedSuites(SOCKET s) {
  std::vector<uint8_t> hello(2048);
  for (int tries = 0; tries < 100; ++tries) {
    const int n = recv(s, reinterpret_cast<char*>(hello.data()), static_cast<int>(hello.size()), MSG_PEEK);
    // record header 5, handshake header 4, version 2, random 32, then the session id
    if (n > 44 && n >= 46 + hello[43]) {
      const size_t at = 44 + hello[43];
      const size_t length = hello[at] << 8 | hello[at + 1];
      if (static_cast<size_t>(n) >= at + 2 + length) {
        std::vector<uint16_t> suites;
        for (size_t i = 0; i < length; i += 2) suites.push_back(hello[at + 2 + i] << 8 | hello[at + 3 + i]);
        return suites;
      }
    }
    Sleep(20);
  }
  return {};
}

class HttpsSourceTest : public PeerTest {
 protected:
  void ConnectHttps(CZHttpsMediaFramesSource& source, uint16_t port, const std::string& request) {
    ASSERT_NE(port, 0) << "run under scripts/with-zms-server";
    source.SetHost("127.0.0.1");
    source.SetPort(port);
    source.SetRequest(request, kProtocol80);
    std::wstring error = L"stale";
    ASSERT_TRUE(source.Connect(error)) << error;
    EXPECT_EQ(error, L"");
  }
};

TEST_F(HttpsSourceTest, OffersExactlyEightSuitesAndCompletesAHandshakeWithEach) {
  const struct {
    const char* name;
    uint16_t id;
  } suites[] = {{"AES128-SHA", 0x002F},
                {"DHE-RSA-AES128-SHA", 0x0033},
                {"AES256-SHA", 0x0035},
                {"DHE-RSA-AES256-SHA", 0x0039},
                {"AES128-SHA256", 0x003C},
                {"AES256-SHA256", 0x003D},
                {"DHE-RSA-AES128-SHA256", 0x0067},
                {"DHE-RSA-AES256-SHA256", 0x006B}};
  constexpr uint16_t kRenegotiationSignal = 0x00FF;  // a marker in the list, not a suite
  std::vector<uint16_t> expected;
  for (const auto& suite : suites) expected.push_back(suite.id);
  const std::vector<uint8_t> reply = VideoOnlyReply(80);
  for (const auto& suite : suites) {
    SCOPED_TRACE(suite.name);
    WOLFSSL_CTX* context = CyaSSL_CTX_new(CyaTLSv1_2_server_method());
    ASSERT_NE(context, nullptr);
    CyaSSL_CTX_use_certificate_buffer(context, server_cert_der_2048, sizeof_server_cert_der_2048, SSL_FILETYPE_ASN1);
    CyaSSL_CTX_use_PrivateKey_buffer(context, server_key_der_2048, sizeof_server_key_der_2048, SSL_FILETYPE_ASN1);
    CyaSSL_CTX_SetTmpDH_buffer(context, dh_key_der_2048, sizeof_dh_key_der_2048, SSL_FILETYPE_ASN1);
    ASSERT_EQ(CyaSSL_CTX_set_cipher_list(context, suite.name), SSL_SUCCESS);
    std::vector<uint16_t> offered;
    std::string negotiated, request;
    std::thread server([&] {
      if (!peer.Accept()) return;
      offered = PeekOfferedSuites(peer.Client());
      WOLFSSL* tls = CyaSSL_new(context);
      CyaSSL_set_fd(tls, static_cast<int>(peer.Client()));
      if (CyaSSL_accept(tls) == SSL_SUCCESS) {
        negotiated = CyaSSL_get_cipher_name(tls);
        char bytes[64];
        const int n = CyaSSL_read(tls, bytes, sizeof bytes);
        if (n > 0) request.assign(bytes, static_cast<size_t>(n));
        CyaSSL_write(tls, reply.data(), static_cast<int>(reply.size()));
      }
      CyaSSL_free(tls);
    });
    CZHttpsMediaFramesSource source(peer.Port());
    ConnectHttps(source, peer.Port(), "/ZAMS80/0000file:a");
    ReplyRecords records;
    std::wstring error;
    EXPECT_TRUE(source.ReadServerReply(records.formats, records.status, error, TRUE)) << error;
    server.join();
    std::erase(offered, kRenegotiationSignal);
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(negotiated, suite.name);
    EXPECT_EQ(request, "/ZAMS80/0000file:a");
    source.Disconnect(error);
    peer.Close();
    CyaSSL_CTX_free(context);
  }
}

TEST_F(HttpsSourceTest, ServerStreamIsTheTcpProtocolInsideTlsOnEitherPort) {
  for (const uint16_t port : {EnvironmentPort("ZMS_HTTPS_PORT"), ServerPort()}) {
    CZHttpsMediaFramesSource source;
    EXPECT_EQ(source.Port(), 443);
    ConnectHttps(source, port, "/ZAMS80/0000file:testcard.zmf");
    ReplyRecords reply;
    std::wstring error;
    ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << error;
    // Commands from another thread go out while this one reads.
    std::atomic<bool> reading{true};
    std::atomic<int> commandsSent{0};
    std::thread commands([&] {
      for (int i = 0; reading; ++i) {
        std::wstring e;
        if (source.SendCommand(i % 2 ? "RTPFileContinue" : "RTPFilePause", e)) ++commandsSent;
        Sleep(5);
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
    std::wstring commandError;
    EXPECT_FALSE(source.SendCommand("RTPFilePause", commandError));
    EXPECT_EQ(commandError, L"Error sending request to Media Server");
  }
}

TEST_F(HttpsSourceTest, WatchdogOrDisconnectEndsAWaitingRead) {
  for (const bool fromWatchdog : {true, false}) {
    TestHttpsSource source;
    ConnectHttps(source, ServerPort(), "/ZAMS80/0000live-alias:testcard#stall-after=1");
    ReplyRecords reply;
    std::wstring error;
    ASSERT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << error;
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
    EXPECT_EQ(stalled.frame.data, nullptr);
  }
}

TEST_F(HttpsSourceTest, ResolvingAndConnectingFailInTheTcpTexts) {
  const struct {
    const char* host;
    uint16_t port;
    const wchar_t* text;
  } cases[] = {{"no-such-host.invalid", 443, L"Can not resolve media Server IP Address"},
               {"127.0.0.1", 1, L"Media Server doesn't respond"}};
  for (const auto& c : cases) {
    CZHttpsMediaFramesSource source(c.port);
    source.SetHost(c.host);
    source.SetRequest("/ZAMS80/0000file:a", kProtocol80);
    std::wstring error;
    EXPECT_FALSE(source.Connect(error));
    EXPECT_EQ(error, c.text);
  }
}

// Run against a server started with --fault tls11-only or --fault close-in-handshake.
TEST_F(HttpsSourceTest, HandshakeFaultFailsInInitializationError) {
  CZHttpsMediaFramesSource source(ServerPort());
  source.SetHost("127.0.0.1");
  source.SetRequest("/ZAMS80/0000file:testcard.zmf", kProtocol80);
  std::wstring error;
  EXPECT_FALSE(source.Connect(error));
  EXPECT_EQ(error, L"HTTPS initialization error");
  EXPECT_EQ(source.LastFailure(), protocol::SourceFailure::HttpsInitialization);
}

}  // namespace
}  // namespace zm::tests
