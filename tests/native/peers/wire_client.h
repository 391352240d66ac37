// Test helper: a plain POSIX socket client of the media server protocol that reads the
// way the control does (exact counts, reply piece by piece) with the portable decoders.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/decode_result.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"

namespace zms::test {

using std::chrono::milliseconds;

struct ReadReplyResult {
  std::optional<zm::protocol::ServerReply> reply;
  std::optional<zm::protocol::DecodeFailure> failure;  // a decoder refused what came
  bool connectionFailed = false;                        // the bytes stopped coming
};

class WireClient {
 public:
  WireClient() = default;
  ~WireClient();
  WireClient(const WireClient&) = delete;
  WireClient& operator=(const WireClient&) = delete;

  bool Connect(uint16_t port);
  bool Send(const std::string& bytes);
  // Exactly n bytes within the timeout, or nothing.
  std::optional<std::vector<uint8_t>> ReadExact(size_t n, milliseconds timeout = milliseconds(10000));
  // The reply as the control reads it: prologue, status, extension, two records.
  ReadReplyResult ReadReply(milliseconds timeout = milliseconds(10000));
  std::optional<std::string> ReadString(milliseconds timeout = milliseconds(10000));
  // One frame; a decode failure of the header is reported through `failure`.
  std::optional<zm::protocol::MediaFrame> ReadFrame(milliseconds timeout = milliseconds(10000),
                                                     zm::protocol::DecodeFailure* failure = nullptr);
  // True when the server closes the connection within the timeout, whatever it sends first.
  bool WaitForClose(milliseconds timeout);
  // True when no byte arrives for the whole period.
  bool StaysSilent(milliseconds period);
  // How many recv calls the last ReadExact needed.
  int lastReadCalls() const { return lastReadCalls_; }

 private:
  int fd_ = -1;
  int lastReadCalls_ = 0;
};

}  // namespace zms::test
