// The HTTP transport: a connection on the server's port whose head is "GET /ZMSHttp..." is
// answered "HTTP/1.1 200 OK" with a chunked body, one chunk a protocol message (the reply,
// the reply with its string for playlist requests, each frame); a "POST /ZMSHttp..." with an
// X-ZMSCommand header hands that command to the running stream of the same client id and is
// answered at once. The no-http fault answers a GET "404 Not Found".
#pragma once

#include <string_view>

#include "peers/server/server_context.h"
#include "peers/server/tcp_transport.h"

namespace zms {

// Serves the connection whose whole head has arrived; runs on the connection's thread and
// returns when it is over.
void ServeHttpConnection(ServerContext& context, int connectionId, std::string_view head, TcpChannel& wire);

}  // namespace zms
