#include "peers/server/multicast_sender.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "peers/server/server_log.h"
#include "protocol/rtp_packet.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

constexpr char kStraySender[] = "127.0.0.2";
constexpr uint32_t kSpoiledStreamType = 0x5A;
constexpr uint8_t kControlByte = '!';

// A UDP socket bound to address:port whose multicast leaves by the loopback interface, TTL 1,
// looped back to this computer's own listeners.
int OpenSocket(const char* address, uint16_t port, std::string* error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  const int on = 1, ttl = 1, off = 0, buffer = 4 * 1024 * 1024;
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  ::inet_pton(AF_INET, address, &local.sin_addr);
  // Clients on this computer bind the same port.
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
  ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback) != 0 ||
      ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
      ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &on, sizeof on) != 0) {
    *error = std::string("multicast sender on ") + address + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

MulticastSender::~MulticastSender() {
  if (fd_ >= 0) ::close(fd_);
  if (strayFd_ >= 0) ::close(strayFd_);
}

bool MulticastSender::Open(const std::array<uint8_t, 4>& group, uint16_t port, std::string* error) {
  fd_ = OpenSocket("127.0.0.1", port, error);
  if (fd_ < 0) return false;
  if (plan_.multicastStrays && (strayFd_ = OpenSocket(kStraySender, 0, error)) < 0) return false;
  socklen_t size = sizeof group_;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&group_), &size);
  std::memcpy(&group_.sin_addr, group.data(), sizeof group_.sin_addr);
  return true;
}

zp::MulticastGroup MulticastSender::Named() const {
  zp::MulticastGroup named;
  std::memcpy(named.address.data(), &group_.sin_addr, named.address.size());
  named.port = plan_.groupPortZero ? 0 : ntohs(group_.sin_port);
  return named;
}

void MulticastSender::Send(std::span<const uint8_t> datagram) {
  if (plan_.groupPortZero) return;  // the client joined nothing
  const bool frameStart =
      datagram.size() > 1 && (datagram[1] & zp::kRtpMarkerBit) != 0 && (datagram[1] & zp::kRtpRedundantCopyBit) == 0;
  if (frameStart) {
    if (plan_.controlByteAfter && frames_ == *plan_.controlByteAfter) {
      ::send(controlFd_, &kControlByte, 1, MSG_NOSIGNAL);
      LogLine("[%d] one byte written on the control connection after %d frames", id_, frames_);
    }
    ++frames_;
    if (plan_.multicastStrays) SendStrays(datagram);
  }
  SendFrom(fd_, datagram);
}

void MulticastSender::SendStrays(std::span<const uint8_t> datagram) {
  auto decoded = zp::DecodeRtpDatagram(datagram);
  if (!decoded || !decoded.value().header) return;
  const zp::RtpDatagram& d = decoded.value();
  const std::vector<uint8_t> noise(16, 0xEE);
  SendFrom(fd_, zp::EncodeRtpDatagram({static_cast<uint16_t>(d.sequence ^ 0x8000), d.timestamp, ~d.ssrc, false},
                                      nullptr, noise));
  zp::MediaFrameHeader spoiled = *d.header;
  spoiled.streamType = kSpoiledStreamType;
  SendFrom(strayFd_, zp::EncodeRtpDatagram({d.sequence, d.timestamp, d.ssrc, false}, &spoiled, d.payload));
}

void MulticastSender::SendFrom(int fd, std::span<const uint8_t> datagram) {
  ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&group_), sizeof group_);
}

}  // namespace zms
