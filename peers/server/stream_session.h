// One client's session, whatever the transport: parse the request, answer with the
// reply (and the playlist string), then send frames and obey commands until the client
// goes or the server stops. Applies the fault plan on the way.
#pragma once

#include <string_view>

#include "peers/server/byte_channel.h"
#include "peers/server/server_context.h"

namespace zms {

// Runs on the connection's own thread; returns when the session is over.
// The faults of a connection: the server's, and those the request's name adds (the server's
// alone when the request or its faults cannot be read). For the transports that refuse
// before any session starts (no-tcp, no-http).
FaultPlan ConnectionFaults(const ServerContext& context, std::string_view requestText);

void RunStreamSession(ServerContext& context, int connectionId, std::string_view requestText, ByteChannel& channel);

}  // namespace zms
