// What the benchmarks share: elapsed seconds between two performance-counter readings, the
// TCP source's time to read a run of frames from a local sender (the session's baseline), and
// the run over the two frame sizes.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

#include "transport/tcp_source.h"

namespace zm::bench {

inline constexpr int kRounds = 5;  // each figure is the best of this many runs

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to);
// Connects the source to 127.0.0.1 at its port with a one-byte request.
bool ConnectSource(transport::CZTcpMediaFramesSource& source);
// ReadFrame until `frames` came, the consumer freeing each payload at once.
double SourceSeconds(uint32_t payload, uint32_t frames);

// One size's comparison: prints its line for `frames` frames of `payload` bytes.
using CompareFn = void (*)(const char* name, uint32_t payload, uint32_t frames);
// A benchmark's main: Winsock and COM up, the header, 64 KiB and 1 KiB frames (their counts
// multiplied by argv[1], default 1), then down again.
int RunSizes(int argc, char** argv, const char* ratio, CompareFn compare);

}  // namespace zm::bench
