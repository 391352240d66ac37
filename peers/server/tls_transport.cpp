#include "peers/server/tls_transport.h"

// clang-format off
#include <wolfssl/options.h>
#include <wolfssl/ssl.h>
#include <wolfssl/wolfcrypt/dh.h>
// clang-format on

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <climits>

#include "peers/server/server_log.h"
#include "peers/server/stream_session.h"
#include "peers/server/tcp_transport.h"

namespace zms {
namespace {

using std::chrono::milliseconds;

constexpr uint8_t kTlsHandshakeRecord = 0x16;
constexpr int kPollSliceMs = 100;
constexpr int kHandshakeMs = 10000;
constexpr int kFinishLingerMs = 2000;

// Waits a slice for what the library asked for; false when the connection broke.
bool WaitFor(int fd, int libraryError) {
  pollfd p{fd, static_cast<short>(libraryError == WOLFSSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN), 0};
  return !(::poll(&p, 1, kPollSliceMs) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)));
}

bool WantsMore(int error) { return error == WOLFSSL_ERROR_WANT_READ || error == WOLFSSL_ERROR_WANT_WRITE; }

// One TLS connection as a channel, on the connection's thread only. The socket is
// non-blocking, so a slow client never holds the stop flag up.
class TlsChannel : public ByteChannel {
 public:
  TlsChannel(WOLFSSL* tls, int fd, const ServerContext& context) : tls_(tls), fd_(fd), context_(context) {}

  bool Send(std::span<const uint8_t> bytes, WireMessage) override {
    size_t done = 0;
    while (done < bytes.size()) {
      if (context_.stopping) return false;
      const int size = static_cast<int>(std::min<size_t>(bytes.size() - done, INT_MAX));
      const int n = wolfSSL_write(tls_, bytes.data() + done, size);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      const int error = wolfSSL_get_error(tls_, n);
      if (!WantsMore(error) || !WaitFor(fd_, error)) return false;
    }
    return true;
  }

  ChannelWait WaitForCommands(std::string& commands, milliseconds timeout) override {
    if (wolfSSL_pending(tls_) == 0) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return ChannelWait::Timeout;
    }
    char buffer[4096];
    const int n = wolfSSL_read(tls_, buffer, sizeof buffer);
    if (n > 0) {
      commands.append(buffer, static_cast<size_t>(n));
      return ChannelWait::Data;
    }
    return WantsMore(wolfSSL_get_error(tls_, n)) ? ChannelWait::Timeout : ChannelWait::Closed;
  }

  void Finish() override {
    wolfSSL_shutdown(tls_);
    ::shutdown(fd_, SHUT_WR);
    // As over TCP: the client reads what was sent and closes first.
    for (int waited = 0; waited < kFinishLingerMs && !context_.stopping; waited += kPollSliceMs) {
      std::string ignored;
      if (WaitForCommands(ignored, milliseconds(kPollSliceMs)) == ChannelWait::Closed) return;
    }
  }

 private:
  WOLFSSL* tls_;
  int fd_;
  const ServerContext& context_;
};

bool Handshake(WOLFSSL* tls, int fd, const ServerContext& context, int id) {
  for (int waited = 0; waited < kHandshakeMs && !context.stopping; waited += kPollSliceMs) {
    const int result = wolfSSL_accept(tls);
    if (result == WOLFSSL_SUCCESS) return true;
    const int error = wolfSSL_get_error(tls, result);
    if (!WantsMore(error)) {
      char text[WOLFSSL_MAX_ERROR_SZ];
      LogLine("[%d] TLS handshake failed: %s", id, wolfSSL_ERR_error_string(static_cast<unsigned long>(error), text));
      return false;
    }
    if (!WaitFor(fd, error)) break;
  }
  LogLine("[%d] TLS handshake did not finish", id);
  return false;
}

}  // namespace

TlsServer::~TlsServer() {
  if (tls11_) wolfSSL_CTX_free(tls11_);
  if (current_) wolfSSL_CTX_free(current_);
  if (started_) wolfSSL_Cleanup();
}

bool TlsServer::Load(const std::string& certificateFile, const std::string& keyFile, std::string* error) {
  started_ = wolfSSL_Init() == WOLFSSL_SUCCESS;
  current_ = wolfSSL_CTX_new(wolfSSLv23_server_method());
  tls11_ = wolfSSL_CTX_new(wolfTLSv1_1_server_method());
  if (!started_ || !current_ || !tls11_) {
    *error = "the TLS library did not start";
    return false;
  }
  // DHE key exchange needs a group: the 2048-bit one of RFC 7919.
  const DhParams* group = wc_Dh_ffdhe2048_Get();
  for (WOLFSSL_CTX* context : {current_, tls11_}) {
    if (wolfSSL_CTX_SetTmpDH(context, group->p, static_cast<int>(group->p_len), group->g,
                             static_cast<int>(group->g_len)) != WOLFSSL_SUCCESS ||
        wolfSSL_CTX_use_certificate_file(context, certificateFile.c_str(), WOLFSSL_FILETYPE_PEM) != WOLFSSL_SUCCESS ||
        wolfSSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), WOLFSSL_FILETYPE_PEM) != WOLFSSL_SUCCESS) {
      *error = "cannot load the TLS certificate " + certificateFile + " with its key " + keyFile;
      return false;
    }
  }
  return true;
}

bool OpensWithTlsHandshake(int fd, const ServerContext& context) {
  for (int waited = 0; waited < kHandshakeMs && !context.stopping; waited += kPollSliceMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kPollSliceMs) == 0) continue;
    uint8_t first = 0;
    return ::recv(fd, &first, 1, MSG_PEEK) == 1 && first == kTlsHandshakeRecord;
  }
  return false;
}

void ServeTlsConnection(ServerContext& context, int connectionId, int fd) {
  const FaultPlan& faults = context.faults;
  if (faults.closeInHandshake) {
    // Take the client's hello, so that the close comes in the middle of the handshake.
    pollfd p{fd, POLLIN, 0};
    char hello[4096];
    if (::poll(&p, 1, kHandshakeMs) > 0) (void)::recv(fd, hello, sizeof hello, 0);
    LogLine("[%d] TLS closed in the handshake (close-in-handshake)", connectionId);
    return;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  WOLFSSL* tls = wolfSSL_new(context.tls->Context(faults.tls11Only));
  if (!tls) {
    LogLine("[%d] no TLS session", connectionId);
    return;
  }
  wolfSSL_set_fd(tls, fd);
  if (Handshake(tls, fd, context, connectionId)) {
    LogLine("[%d] TLS %s, %s", connectionId, wolfSSL_get_version(tls), wolfSSL_get_cipher_name(tls));
    TlsChannel channel(tls, fd, context);
    std::string request;
    if (ReadRequestText(channel, context, &request)) {
      RunStreamSession(context, connectionId, request, channel);
    } else {
      LogLine("[%d] no request received over TLS", connectionId);
    }
  }
  wolfSSL_free(tls);
}

}  // namespace zms
