#include "peers/server/tcp_transport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <list>
#include <thread>

#include "peers/server/http_request.h"
#include "peers/server/http_transport.h"
#include "peers/server/media_request.h"
#include "peers/server/multicast_transport.h"
#include "peers/server/rtp_transport.h"
#include "peers/server/server_log.h"
#include "peers/server/stream_session.h"
#include "peers/server/tls_transport.h"

namespace zms {
namespace {

using std::chrono::milliseconds;

constexpr int kPollSliceMs = 100;
constexpr int kRequestFirstByteMs = 10000;  // a client sends its request right after connecting
constexpr size_t kMaxRequestBytes = 64 * 1024;
constexpr int kFinishLingerMs = 2000;

std::string PeerName(int fd) {
  sockaddr_in peer{};
  socklen_t size = sizeof peer;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0) return "?";
  char address[INET_ADDRSTRLEN] = "?";
  ::inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
  return std::string(address) + ":" + std::to_string(ntohs(peer.sin_port));
}

void ServeConnection(ServerContext& context, int fd, int id, bool tlsOnly) {
  LogLine("[%d] connection from %s", id, PeerName(fd).c_str());
  std::string request;
  TcpChannel channel(fd, context);
  if (context.tls && (tlsOnly || OpensWithTlsHandshake(fd, context))) {
    ServeTlsConnection(context, id, fd);
  } else if (ReadRequestText(channel, context, &request)) {
    const std::optional<std::string_view> rtp = RtpMediaRequest(request);
    const std::optional<std::string_view> multicast = MulticastMediaRequest(request);
    if (IsHttpRequestStart(request)) {
      ServeHttpConnection(context, id, request, channel);
    } else if (ConnectionFaults(context, rtp.value_or(multicast.value_or(request))).noTcp) {
      // An RTP session's request comes over plain TCP too.
      LogLine("[%d] plain TCP refused (no-tcp): closing without a reply", id);
    } else if (rtp) {
      ServeRtpConnection(context, id, request, channel);
    } else if (multicast) {
      ServeMulticastConnection(context, id, *multicast, channel);
    } else {
      RunStreamSession(context, id, request, channel);
    }
  } else {
    LogLine("[%d] no request received", id);
  }
  ::close(fd);
  LogLine("[%d] connection closed", id);
}

}  // namespace

// The request text has no terminator, but a client writes it at once: it is served as soon
// as its grammar says it is whole (an HTTP request's head, at its blank line). A beginning that could still grow waits
// a little for the rest, and is served as it stands if none comes.
bool ReadRequestText(ByteChannel& channel, const ServerContext& context, std::string* text) {
  int waitMs = kRequestFirstByteMs;
  for (int waited = 0; !context.stopping;) {
    const int slice = std::min(waitMs - waited, kPollSliceMs);
    const ChannelWait wait = channel.WaitForCommands(*text, milliseconds(slice));
    if (wait == ChannelWait::Closed) return !text->empty();  // the client sent its request and half-closed
    if (wait == ChannelWait::Timeout) {
      waited += slice;
      if (waited >= waitMs) return !text->empty();
      continue;
    }
    if (text->size() > kMaxRequestBytes) return false;
    const auto media = RtpMediaRequest(*text) ? RtpMediaRequest(*text) : MulticastMediaRequest(*text);
    const bool mayGoOn = IsHttpRequestStart(*text) ? HttpHeadMayGoOn(*text)
                         : media                   ? RequestMayGoOn(*media)
                                                   : RequestMayGoOn(*text);
    if (!mayGoOn) return true;
    waitMs = static_cast<int>(kRequestRestWait.count());
    waited = 0;
  }
  return false;
}

bool TcpChannel::Send(std::span<const uint8_t> bytes, WireMessage) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (context_.stopping) return false;
    ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    // The client reads slowly (or not at all, while it is paused): wait, but keep
    // an eye on the stop flag.
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, kPollSliceMs) > 0 && (p.revents & (POLLERR | POLLHUP))) return false;
  }
  return true;
}

ChannelWait TcpChannel::WaitForCommands(std::string& commands, milliseconds timeout) {
  pollfd p{fd_, POLLIN, 0};
  int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
  if (ready <= 0) return ChannelWait::Timeout;
  char buffer[4096];
  ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n == 0) return ChannelWait::Closed;
  if (n < 0) return (errno == EAGAIN || errno == EINTR) ? ChannelWait::Timeout : ChannelWait::Closed;
  commands.append(buffer, static_cast<size_t>(n));
  return ChannelWait::Data;
}

void TcpChannel::Finish() {
  ::shutdown(fd_, SHUT_WR);
  // Let the client read what was sent and close first, so that nothing it has not
  // read is lost to a reset.
  for (int waited = 0; waited < kFinishLingerMs && !context_.stopping; waited += kPollSliceMs) {
    std::string ignored;
    if (WaitForCommands(ignored, milliseconds(kPollSliceMs)) == ChannelWait::Closed) return;
  }
}

TcpTransport::~TcpTransport() {
  for (int fd : listeners_) ::close(fd);
}

bool TcpTransport::Listen(uint16_t port, uint16_t* bound, std::string* error, bool tlsOnly) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
    *error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  *bound = ntohs(address.sin_port);
  listeners_.push_back(fd);
  tlsOnly_.push_back(tlsOnly);
  return true;
}

namespace {

struct Connection {
  std::thread thread;
  std::atomic<bool> done{false};
};

}  // namespace

void TcpTransport::Serve() {
  std::list<Connection> connections;
  std::vector<pollfd> polls;
  for (int fd : listeners_) polls.push_back(pollfd{fd, POLLIN, 0});
  while (!context_.stopping) {
    int ready = ::poll(polls.data(), polls.size(), kPollSliceMs);
    if (ready <= 0) continue;
    for (size_t i = 0; i < polls.size(); ++i) {
      const pollfd& p = polls[i];
      const bool tlsOnly = tlsOnly_[i];
      if (!(p.revents & POLLIN)) continue;
      int fd = ::accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      int on = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      const int id = context_.nextConnectionId++;
      Connection& c = connections.emplace_back();
      c.thread = std::thread([this, fd, id, tlsOnly, &c] {
        ServeConnection(context_, fd, id, tlsOnly);
        c.done = true;
      });
    }
    // Join the connections that have ended, so a long run does not pile up threads.
    for (auto it = connections.begin(); it != connections.end();) {
      if (it->done) {
        it->thread.join();
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (Connection& c : connections) c.thread.join();
}

}  // namespace zms
