// Where a multicast session's datagrams leave: a UDP socket on 127.0.0.1 that sends to the
// group with TTL 1 and loopback on, its port the group's. The multicast faults act here:
// multicast-strays sends, before each frame, a datagram of another SSRC from the same socket
// and a spoiled copy of the frame's first datagram from another sender (127.0.0.2), both of
// which a client must ignore; control-byte-after=N writes one byte on the control connection
// once N frames have gone, which ends a client's stream. Used on the connection's thread.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <span>
#include <string>

#include "peers/server/fault_plan.h"
#include "protocol/multicast_group.h"

namespace zms {

class MulticastSender {
 public:
  MulticastSender(const FaultPlan& plan, int controlFd, int connectionId)
      : plan_(plan), controlFd_(controlFd), id_(connectionId) {}
  ~MulticastSender();
  MulticastSender(const MulticastSender&) = delete;
  MulticastSender& operator=(const MulticastSender&) = delete;

  // Binds 127.0.0.1:port (0 picks a free one) for the group's address; false with a reason.
  bool Open(const std::array<uint8_t, 4>& group, uint16_t port, std::string* error);
  // The group as the control connection names it: its port is 0 with group-port-zero.
  zm::protocol::MulticastGroup Named() const;
  // One of the stream's datagrams to the group.
  void Send(std::span<const uint8_t> datagram);

 private:
  void SendStrays(std::span<const uint8_t> datagram);
  void SendFrom(int fd, std::span<const uint8_t> datagram);

  const FaultPlan plan_;
  const int controlFd_;
  const int id_;
  int fd_ = -1;
  int strayFd_ = -1;  // another sender, for multicast-strays
  sockaddr_in group_{};
  int frames_ = 0;
};

}  // namespace zms
