#include "peers/server/rtp_transport.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "peers/server/server_context.h"
#include "peers/server/server_log.h"
#include "peers/server/stream_session.h"
#include "peers/server/tcp_transport.h"

namespace zms {
namespace {

constexpr int kPollSliceMs = 100;
constexpr std::chrono::milliseconds kClientWait{3000};

int BindUdp(uint16_t port, uint16_t* bound, std::string* error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = "cannot bind UDP 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return -1;
  }
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  *bound = ntohs(address.sin_port);
  return fd;
}

}  // namespace

std::optional<std::string_view> RtpMediaRequest(std::string_view text, std::string* id) {
  if (!text.starts_with(kRtpUnicastPrefix)) return std::nullopt;
  text.remove_prefix(kRtpUnicastPrefix.size());
  const size_t close = text.find('}');
  if (!text.starts_with('{') || close == std::string_view::npos) return std::nullopt;
  if (id) *id = text.substr(0, close + 1);
  return text.substr(close + 1);
}

RtpRendezvous::~RtpRendezvous() { Close(); }

bool RtpRendezvous::Open(uint16_t port, std::string* error) {
  meetingFd_ = BindUdp(port, &meetingPort_, error);
  if (meetingFd_ < 0) return false;
  mediaFd_ = BindUdp(0, &mediaPort_, error);
  if (mediaFd_ < 0) return false;
  int size = 4 * 1024 * 1024;
  ::setsockopt(mediaFd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void RtpRendezvous::Close() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (meetingFd_ >= 0) ::close(meetingFd_);
  if (mediaFd_ >= 0) ::close(mediaFd_);
  meetingFd_ = mediaFd_ = -1;
}

void RtpRendezvous::Run() {
  while (!stop_) {
    pollfd polls[2] = {{meetingFd_, POLLIN, 0}, {mediaFd_, POLLIN, 0}};
    if (::poll(polls, 2, kPollSliceMs) <= 0) continue;
    char buffer[512];
    sockaddr_in from{};
    socklen_t size = sizeof from;
    // The media socket only hears the clients' probes that keep their path open.
    if (polls[1].revents & POLLIN) ::recv(mediaFd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (!(polls[0].revents & POLLIN)) continue;
    const ssize_t n =
        ::recvfrom(meetingFd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &size);
    if (n > 0) Answer(std::string_view(buffer, static_cast<size_t>(n)), from);
  }
}

void RtpRendezvous::Answer(std::string_view text, const sockaddr_in& from) {
  char reply[160];
  if (text.starts_with(kRtpTallyQuery)) {
    const auto tally = TallyFor(std::string(text.substr(kRtpTallyQuery.size())));
    std::snprintf(reply, sizeof reply, "sent=%u dropped=%u duplicated=%u reordered=%u copies=%u", tally->sent.load(),
                  tally->dropped.load(), tally->duplicated.load(), tally->reordered.load(), tally->copies.load());
  } else {
    {
      std::lock_guard<std::mutex> hold(lock_);
      ForgetOldMeetings();
      clients_[std::string(text)] = Meeting{from, std::chrono::steady_clock::now()};
    }
    arrived_.notify_all();
    std::snprintf(reply, sizeof reply, "%u", mediaPort_);
    LogLine("UDP id %.*s from port %u: media port %u", static_cast<int>(text.size()), text.data(), ntohs(from.sin_port),
            mediaPort_);
  }
  ::sendto(meetingFd_, reply, std::strlen(reply), 0, reinterpret_cast<const sockaddr*>(&from), sizeof from);
}

void RtpRendezvous::ForgetOldMeetings() {
  const auto now = std::chrono::steady_clock::now();
  std::erase_if(clients_, [&](const auto& entry) { return now - entry.second.at > kMeetingKept; });
  while (clients_.size() >= kMaxMeetings) {
    clients_.erase(std::min_element(clients_.begin(), clients_.end(),
                                    [](const auto& a, const auto& b) { return a.second.at < b.second.at; }));
  }
}

std::optional<sockaddr_in> RtpRendezvous::WaitForClient(const std::string& id, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  if (!arrived_.wait_for(hold, timeout, [&] { return clients_.count(id) != 0; })) return std::nullopt;
  return clients_.extract(id).mapped().from;
}

std::shared_ptr<DatagramTally> RtpRendezvous::TallyFor(const std::string& id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto& tally = tallies_[id];
  if (!tally) {
    tally = std::make_shared<DatagramTally>();
    tallyOrder_.push_back(id);
    if (tallyOrder_.size() > kTalliesKept) {
      tallies_.erase(tallyOrder_.front());
      tallyOrder_.pop_front();
    }
  }
  return tally;
}

void ServeRtpConnection(ServerContext& context, int connectionId, std::string_view request, TcpChannel& control) {
  std::string id;
  const std::string_view media = RtpMediaRequest(request, &id).value_or(std::string_view());
  const std::optional<sockaddr_in> client = context.rtp ? context.rtp->WaitForClient(id, kClientWait) : std::nullopt;
  if (!client) {
    LogLine("[%d] RTP request for UDP id %s, which never came: closing", connectionId, id.c_str());
    return;
  }
  const int media_fd = context.rtp->mediaSocket();
  const sockaddr_in to = *client;
  auto sink = [media_fd, to](std::span<const uint8_t> datagram) {
    ::sendto(media_fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  };
  const uint32_t ssrc = 0x5A000000u ^ static_cast<uint32_t>(connectionId) * 40503u;
  LogLine("[%d] RTP to port %u, SSRC 0x%08X", connectionId, ntohs(to.sin_port), ssrc);
  RtpChannel channel(control, sink, ConnectionFaults(context, media), ssrc, context.rtp->TallyFor(id), connectionId);
  RunStreamSession(context, connectionId, media, channel);
}

}  // namespace zms
