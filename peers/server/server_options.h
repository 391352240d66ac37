// The command line of zms-server: ports, faults for every connection, reply options,
// the protected alias's user and session id, the protocol-25-only mode, TLS and the multicast group.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "peers/server/access_control.h"
#include "peers/server/fault_plan.h"
#include "peers/server/multicast_transport.h"

namespace zms {

inline constexpr uint16_t kDefaultPort = 5119;

struct ServerOptions {
  uint16_t port = kDefaultPort;
  std::optional<uint16_t> localPort;  // second listener, for live-local requests (port 5120)
  FaultPlan faults;
  bool allowFaultSuffix = false;  // --allow-fault-suffix
  uint16_t extensionBytes = 0;
  AccessOptions access;               // --user, --session-id: who may open the protected alias
  bool protocol25Only = false;        // --protocol25-only
  std::string tlsCertificate;         // --tls-cert: PEM file; with --tls-key it turns TLS on
  std::string tlsKey;                 // --tls-key: PEM file of the certificate's private key
  std::optional<uint16_t> httpsPort;  // --https-port: a listener that speaks TLS only
  MulticastOptions multicast;         // --multicast-group, --multicast-port
  bool help = false;
};

// Parses argv; false with an error text for an unknown flag or a bad value.
bool ParseServerOptions(int argc, char** argv, ServerOptions* options, std::string* error);

// The --help text, listing every flag.
const char* ServerUsage();

}  // namespace zms
