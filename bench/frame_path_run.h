// The frame path as the benchmarks drive it: a connected source read through the frame queue
// into the media buffer, and a reader for each stream that takes each frame through IMediaFlop
// and frees it, as a renderer that only counts does.
#pragma once

#include <cstdint>

#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"
#include "transport/network_source.h"

namespace zm::bench {

struct PathRun {
  double seconds = 0;   // from the first read until every reader has finished
  uint32_t frames = 0;  // with a payload, taken by the readers
};

// Reads `limit` frames and then ends both streams, or with `limit` 0 reads until the source's
// own end markers for every stream (or a failure).
PathRun RunFramePath(transport::CZNetworkMediaFramesSource& source, const protocol::ReplyStatus& status,
                     const protocol::StreamFormat& video, const protocol::StreamFormat& audio, uint32_t limit);

}  // namespace zm::bench
