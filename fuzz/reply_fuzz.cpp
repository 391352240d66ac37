// Fuzzes the reply reader the control runs over its socket, here over a buffer: it never
// reads past the input, refuses a wrong magic or version from the first 8 bytes, stops after
// a refusal's status, bounds every length, and an accepted reply encodes and reads back to itself.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/reply_reader.h"
#include "protocol/result_codes.h"
#include "protocol/wire_limits.h"

using namespace zm::protocol;
using zm::fuzz::Check;

namespace {

struct Read {
  ReplyRead result;
  ReplyStatus status;
  StreamFormatPairSink sink;
  size_t consumed = 0;
};

void ReadReply(std::span<const uint8_t> bytes, uint32_t requested, Read& read) {
  BufferByteSource source(bytes);
  read.result = ReadServerReply(source, requested, read.status, read.sink);
  read.consumed = source.consumed();
}

void CheckOne(std::span<const uint8_t> input, uint32_t requested) {
  Read read;
  ReadReply(input, requested, read);
  const ReplyRead& r = read.result;
  Check(read.consumed <= input.size());
  switch (r.failure) {
    case SourceFailure::None: break;
    case SourceFailure::NoResponse:
      Check(input.size() < kReplyPrologueSize && r.detail.error == DecodeError::Truncated);
      return;
    case SourceFailure::UnrecognizedResponse:
      Check(r.detail.error == DecodeError::BadMagic && read.status.result == kResultWrongMagic);
      Check(read.consumed == kReplyPrologueSize);
      return;
    case SourceFailure::IncompatibleVersions:
      Check(r.detail.error == DecodeError::UnsupportedVersion && read.status.result == kResultIncompatibleVersion);
      return;
    case SourceFailure::Protocol25Only:
      Check(requested == kProtocolVersion80 && input[4] == kProtocolVersion25 && r.acceptedVersion == 0);
      return;
    case SourceFailure::ServerRefused:
      Check(read.status.result != kResultAccepted && read.consumed == kReplyPrologueSize + kReplyStatusSize);
      return;
    case SourceFailure::ErrorReceiving:
      Check(r.detail.error == DecodeError::LengthTooLarge ||
            (r.detail.error == DecodeError::Truncated && r.detail.needed > input.size()));
      return;
    default: Check(false);
  }
  for (const StreamFormat& f : read.sink.formats) Check(f.formatBlock.size() <= kMaxFormatBlockBytes);
  Check(r.acceptedVersion == kProtocolVersion80 || r.extensionLength == 0);

  // What was read, with the discarded extension taken from the input, encodes to as many bytes.
  ServerReply reply;
  reply.protocolVersion = r.acceptedVersion;
  reply.status = read.status;
  const size_t extensionAt = kReplyPrologueSize + kReplyStatusSize + kReplyExtensionHeaderSize;
  if (r.extensionLength)
    reply.extension.assign(input.begin() + extensionAt, input.begin() + extensionAt + r.extensionLength);
  reply.formats = read.sink.formats;
  std::vector<uint8_t> again = EncodeServerReply(reply);
  Check(again.size() == read.consumed);
  Read twice;
  ReadReply(again, requested, twice);
  Check(twice.result.ok() && twice.consumed == again.size() && twice.result.acceptedVersion == r.acceptedVersion);
  Check(twice.status == read.status && twice.result.extensionLength == r.extensionLength);
  Check(twice.sink.formats == read.sink.formats);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  CheckOne(input, kProtocolVersion80);
  CheckOne(input, kProtocolVersion25);
  return 0;
}
