// Reads the server's reply from a byte source: magic and version, the status, the protocol-80
// extension, then both stream descriptions, each length bounded before its bytes are
// allocated. The control runs it over its socket, the tests and the fuzzer over a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/byte_source.h"
#include "protocol/decode_result.h"
#include "protocol/error_texts.h"
#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"

namespace zm::protocol {

// Takes the two stream descriptions as the reader meets them, video first.
class FormatSink {
 public:
  // Record `index` has this header. Returns where its header.formatLength bytes of format
  // block go, or nullptr when no such block can be had; with a length of 0 the result is unused.
  virtual uint8_t* FormatBlock(size_t index, const StreamFormatHeader& header) = 0;

 protected:
  ~FormatSink() = default;
};

// Keeps them as a StreamFormatPair.
class StreamFormatPairSink final : public FormatSink {
 public:
  uint8_t* FormatBlock(size_t index, const StreamFormatHeader& header) override;
  StreamFormatPair formats;
};

struct ReplyRead {
  // None: accepted. ServerRefused: the status's result says why. Protocol25Only: ask again.
  SourceFailure failure = SourceFailure::None;
  // Where reading stopped, for the other failures.
  DecodeFailure detail;
  uint32_t acceptedVersion = 0;  // what the session speaks from here on; 0 if not accepted
  uint16_t extensionLength = 0;  // read and discarded

  bool ok() const { return failure == SourceFailure::None; }
};

// Fills `status` as far as the reply tells it: a wrong magic or version sets its result to
// the client's own code; a refusal leaves the server's whole status there.
ReplyRead ReadServerReply(ByteSource& source, uint32_t requestedVersion, ReplyStatus& status, FormatSink& sink);

}  // namespace zm::protocol
