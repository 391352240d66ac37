// The RTP multicast transport. The client's TCP request "rtp-multicast:" + request is answered,
// before the reply, with the multicast group (protocol/multicast_group.h); the session's frames
// then go as RTP datagrams to that group (rtp_channel.h packs them, multicast_sender.h sends
// them), and the control connection stays open until either side closes it.
//
// Each session has a sender of its own on a port of its own (or the --multicast-port all share),
// which is what tests need: the faults of one request spoil one client's stream. A server for
// many viewers would send each source once and name the same group to all of them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zms {

struct ServerContext;
class TcpChannel;

struct MulticastOptions {
  std::array<uint8_t, 4> group = {239, 255, 90, 1};  // --multicast-group
  uint16_t port = 0;                                 // --multicast-port; 0 picks a free port for each session
};

// The request after "rtp-multicast:", or nothing when it is not a multicast request.
std::optional<std::string_view> MulticastMediaRequest(std::string_view text);

// Serves the request after the prefix on its control connection; runs on the connection's thread.
void ServeMulticastConnection(ServerContext& context, int connectionId, std::string_view media, TcpChannel& control);

}  // namespace zms
