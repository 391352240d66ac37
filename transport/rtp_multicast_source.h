// CZRtpMulticastMediaFramesSource: a live stream that the server sends once to an IPv4
// multicast group for every viewer. The TCP control connection carries the request, the group
// (protocol/multicast_group.h) and the reply, and stays open, kept alive, as the end signal:
// anything readable on it ends the stream. The datagrams are read, reordered and reassembled as
// in unicast, but only from the server's host and only of the stream's own SSRC (others
// sharing the group are dropped); there is no UDP meeting and no redundancy control.
//
// Threads: as the RTP unicast transport; the loss timer never runs. Disconnect may run on the
// control's thread while the grabber thread reads: the group is left by whichever thread
// takes the joined port out.
#pragma once

#include <atomic>

#include "protocol/multicast_group.h"
#include "transport/rtp_source.h"

namespace zm::transport {

class CZRtpMulticastMediaFramesSource : public CZRtpMediaFramesSource {
 public:
  static constexpr int kControlCheckReads = 50;  // ReadFrame calls between two looks at the control connection

  explicit CZRtpMulticastMediaFramesSource(uint16_t port);

  BOOL Connect(std::wstring& errorText) override;
  BOOL Disconnect(std::wstring& errorText) override;
  BOOL ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) override;
  void SetRequest(const std::string& request, int protocolVersion) override;

  // What the server named at Connect (port 0: nothing to join).
  const protocol::MulticastGroup& Group() const { return m_group; }
  bool HasDatagramSocket() const { return m_udpSocket.load() != INVALID_SOCKET; }

 private:
  // Reads and checks the group, then makes the datagram socket and joins it.
  void ReceiveGroupAndJoin();
  bool ControlConnectionQuiet();

  protocol::MulticastGroup m_group;        // grabber thread
  std::atomic<uint16_t> m_nJoinedPort{0};  // not 0 while the group is joined
  LONG m_nReadCount = 0;
};

}  // namespace zm::transport
