// The seam between a protocol session and the transport that carries it: send bytes to
// the client, wait for the client's command bytes. TCP implements it now; HTTP, HTTPS
// and RTP will bring their own. Called on the connection's thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace zms {

enum class ChannelWait { Data, Timeout, Closed };

// What a Send carries, for a channel that treats messages apart (RTP packs each frame on
// its own; the fault channel cuts frames and strings).
enum class WireMessage { Reply, String, Frame };

class ByteChannel {
 public:
  virtual ~ByteChannel() = default;
  // Sends every byte of one message; false when nothing more may be sent: the client is
  // gone, the server stops, or the channel has ended the connection itself.
  virtual bool Send(std::span<const uint8_t> bytes, WireMessage message) = 0;
  // Waits up to `timeout` for command bytes and appends them to `commands`.
  virtual ChannelWait WaitForCommands(std::string& commands, std::chrono::milliseconds timeout) = 0;
  // Ends the sending direction and gives the client a moment to read and close.
  virtual void Finish() = 0;
  // A command meant for the channel itself (RTP's redundancy levels); false when it is not.
  virtual bool TakeCommand(const std::string&) { return false; }
};

}  // namespace zms
