// Fuzzes the reply decoder: a wrong magic or version is refused before anything else, a
// refusal ends after the status, and an accepted reply encodes and decodes to itself.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/reply_codec.h"
#include "protocol/wire_limits.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  auto reply = DecodeServerReply(input);
  auto prologue = DecodeReplyPrologue(input);
  if (!prologue) {
    Check(!reply && reply.error() == prologue.error());
    return 0;
  }
  if (!reply) {
    Check(reply.error() == DecodeError::Truncated || reply.error() == DecodeError::LengthTooLarge);
    Check(reply.error() != DecodeError::Truncated || reply.failure().needed > size);
    return 0;
  }
  const ServerReply& r = reply.value();
  Check(reply.consumed() <= size);
  if (r.status.result != 0) {
    Check(reply.consumed() == kReplyPrologueSize + kReplyStatusSize);
    return 0;
  }
  for (const StreamFormat& f : r.formats) Check(f.formatBlock.size() <= kMaxFormatBlockBytes);
  Check(r.protocolVersion == kProtocolVersion80 || r.extension.empty());

  std::vector<uint8_t> again = EncodeServerReply(r);
  Check(again.size() == reply.consumed());
  auto twice = DecodeServerReply(again);
  Check(twice.ok() && twice.consumed() == again.size());
  Check(twice.value().protocolVersion == r.protocolVersion && twice.value().status == r.status &&
        twice.value().extension == r.extension && twice.value().formats == r.formats);
  return 0;
}
