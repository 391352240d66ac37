// What the server streams, independent of the transport that carries it: the stream
// descriptions, the reply fields, and the frames in order. One object per connection.
#pragma once

#include <optional>
#include <string>

#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"

namespace zms {

class MediaSource {
 public:
  virtual ~MediaSource() = default;

  // Live sources are sent in real time; stored items as fast as the connection takes them.
  virtual bool IsLive() const = 0;
  virtual zm::protocol::StreamFormatPair Formats() const = 0;
  // The accepted reply's status (result 0).
  virtual zm::protocol::ReplyStatus Status() const = 0;
  // The next frame; nothing once the item has ended (after its end-of-stream frames).
  virtual std::optional<zm::protocol::MediaFrame> NextFrame() = 0;
  // Moves to `seconds`; the next frame is the seek-completion frame. False when the
  // source cannot seek.
  virtual bool Seek(int seconds) = 0;
};

}  // namespace zms
