// What every connection of one server run shares: the stop flag that the signal
// handler sets, the faults given on the command line, the reply options, who may
// open the protected alias, the HTTP streams that command POSTs reach, the TLS certificate and
// the multicast group.
#pragma once

#include <atomic>
#include <cstdint>

#include "peers/server/access_control.h"
#include "peers/server/command_board.h"
#include "peers/server/fault_plan.h"
#include "peers/server/multicast_transport.h"
#include "peers/server/rtp_transport.h"

namespace zms {

class TlsServer;

struct ServerContext {
  std::atomic<bool> stopping{false};
  std::atomic<int> nextConnectionId{1};
  FaultPlan faults;                       // --fault, for every connection
  bool allowFaultSuffix = false;          // --allow-fault-suffix: a "#..." at the end of a name adds faults
  uint16_t extensionBytes = 0;            // --extension-bytes: size of the protocol-80 reply extension
  AccessControl access{AccessOptions{}};  // --user, --session-id
  bool protocol25Only = false;            // --protocol25-only: every version-80 request gets a version-25 answer
  CommandBoard httpCommands;              // the HTTP streams, by client id, for the commands that POSTs carry
  const TlsServer* tls = nullptr;         // --tls-cert and --tls-key: TLS connections are served
  RtpRendezvous* rtp = nullptr;           // where RTP clients meet the server before their request
  MulticastOptions multicast;             // --multicast-group, --multicast-port
};

}  // namespace zms
