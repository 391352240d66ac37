// The seam between a protocol session and the transport that carries it: send bytes to
// the client, wait for the client's command bytes. TCP implements it now; HTTP, HTTPS
// and RTP will bring their own.
#pragma once

#include <chrono>
#include <span>
#include <string>

namespace zms {

enum class ChannelWait { Data, Timeout, Closed };

class ByteChannel {
 public:
  virtual ~ByteChannel() = default;
  // Sends every byte; false when the client is gone or the server stops.
  virtual bool Send(std::span<const uint8_t> bytes) = 0;
  // Waits up to `timeout` for command bytes and appends them to `commands`.
  virtual ChannelWait WaitForCommands(std::string& commands, std::chrono::milliseconds timeout) = 0;
  // Ends the sending direction and gives the client a moment to read and close.
  virtual void Finish() = 0;
};

}  // namespace zms
