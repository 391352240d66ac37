#include "peers/server/multicast_transport.h"

#include <memory>

#include "peers/server/multicast_sender.h"
#include "peers/server/rtp_channel.h"
#include "peers/server/server_context.h"
#include "peers/server/server_log.h"
#include "peers/server/stream_session.h"
#include "peers/server/tcp_transport.h"
#include "protocol/multicast_group.h"

namespace zms {

namespace zp = zm::protocol;

std::optional<std::string_view> MulticastMediaRequest(std::string_view text) {
  if (!text.starts_with(zp::kRtpMulticastPrefix)) return std::nullopt;
  return text.substr(zp::kRtpMulticastPrefix.size());
}

void ServeMulticastConnection(ServerContext& context, int connectionId, std::string_view media, TcpChannel& control) {
  const FaultPlan faults = ConnectionFaults(context, media);
  MulticastSender sender(faults, control.fd(), connectionId);
  std::string error;
  if (!sender.Open(context.multicast.group, context.multicast.port, &error)) {
    LogLine("[%d] %s: closing", connectionId, error.c_str());
    return;
  }
  const zp::MulticastGroup group = sender.Named();
  const auto info = zp::EncodeMulticastGroupInfo(group);
  if (!control.Send(info, WireMessage::Reply)) return;
  const uint32_t ssrc = 0x4D000000u ^ static_cast<uint32_t>(connectionId) * 40503u;
  LogLine("[%d] RTP multicast to %s port %u, SSRC 0x%08X", connectionId, zp::GroupAddressText(group.address).c_str(),
          group.port, ssrc);
  auto sink = [&sender](std::span<const uint8_t> datagram) { sender.Send(datagram); };
  RtpChannel channel(control, sink, faults, ssrc, std::make_shared<DatagramTally>(), connectionId);
  RunStreamSession(context, connectionId, media, channel);
}

}  // namespace zms
