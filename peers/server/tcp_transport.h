// The plain TCP transport: listens on 127.0.0.1, reads each client's request text,
// and runs its stream session over the same connection, one thread a connection. A
// connection that starts with "GET /" or "POST /" goes to the HTTP transport instead, and one
// that opens with a TLS handshake to the HTTPS transport when the server has a certificate.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "peers/server/byte_channel.h"
#include "peers/server/server_context.h"

namespace zms {

// How long the beginning of a request that could still grow ("/ZAMS80/00", a digest cut
// short) waits for its rest; a whole request is served at once.
inline constexpr std::chrono::milliseconds kRequestRestWait{200};

// One accepted connection as a channel: every byte as it is, commands as the client writes them.
// The HTTP transport sends its chunks through it.
class TcpChannel : public ByteChannel {
 public:
  TcpChannel(int fd, const ServerContext& context) : fd_(fd), context_(context) {}
  int fd() const { return fd_; }

  bool Send(std::span<const uint8_t> bytes, WireMessage message) override;
  ChannelWait WaitForCommands(std::string& commands, std::chrono::milliseconds timeout) override;
  void Finish() override;

 private:
  int fd_;
  const ServerContext& context_;
};

class TcpTransport {
 public:
  explicit TcpTransport(ServerContext& context) : context_(context) {}
  ~TcpTransport();
  TcpTransport(const TcpTransport&) = delete;
  TcpTransport& operator=(const TcpTransport&) = delete;

  // Opens a listening socket on 127.0.0.1:port (0 picks a free port); returns the port. A
  // tlsOnly listener hands every connection to the HTTPS transport.
  bool Listen(uint16_t port, uint16_t* bound, std::string* error, bool tlsOnly = false);
  // Accepts connections until context.stopping is set, then waits for every connection.
  void Serve();

 private:
  ServerContext& context_;
  std::vector<int> listeners_;
  std::vector<bool> tlsOnly_;  // beside listeners_
};

// Reads a client's request text through the channel until its grammar says it is whole;
// false when none came or it grew past any request's size.
bool ReadRequestText(ByteChannel& channel, const ServerContext& context, std::string* text);

}  // namespace zms
