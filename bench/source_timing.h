// What the benchmarks share: elapsed seconds between two performance-counter readings, and the
// TCP source's time to read a run of frames from a local sender (the session's baseline).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

#include "transport/tcp_source.h"

namespace zm::bench {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to);
// Connects the source to 127.0.0.1 at its port with a one-byte request.
bool ConnectSource(transport::CZTcpMediaFramesSource& source);
// ReadFrame until `frames` came, the consumer freeing each payload at once.
double SourceSeconds(uint32_t payload, uint32_t frames);

}  // namespace zm::bench
