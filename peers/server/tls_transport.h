// The HTTPS transport: the TCP transport's protocol, unchanged, inside TLS (Debian's
// wolfSSL). A connection on the main port whose first byte opens a TLS handshake record comes
// here, and so does every connection of the --https-port listener. The faults tls11-only and
// close-in-handshake act on the handshake; everything after it is the stream session's.
#pragma once

#include <string>

#include "peers/server/server_context.h"

struct WOLFSSL_CTX;

namespace zms {

// The server's certificate and key in two contexts: one for TLS 1.2 and newer, one that
// speaks TLS 1.1 alone (Debian's build has no TLS 1.0 left).
class TlsServer {
 public:
  TlsServer() = default;
  ~TlsServer();
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;

  // Loads the PEM files; false with an error text when the library or a file refuses.
  bool Load(const std::string& certificateFile, const std::string& keyFile, std::string* error);
  WOLFSSL_CTX* Context(bool tls11Only) const { return tls11Only ? tls11_ : current_; }

 private:
  bool started_ = false;
  WOLFSSL_CTX* current_ = nullptr;
  WOLFSSL_CTX* tls11_ = nullptr;
};

// True when the connection's first byte (waited for, not taken) opens a TLS handshake record.
bool OpensWithTlsHandshake(int fd, const ServerContext& context);

// Runs on the connection's thread: handshake, request, stream session; the caller closes fd.
void ServeTlsConnection(ServerContext& context, int connectionId, int fd);

}  // namespace zms
