#include "protocol/reply_reader.h"

#include <algorithm>

#include "protocol/result_codes.h"

namespace zm::protocol {
namespace {

// One reply's read: each step either goes on or records why the reply failed.
class ReplyReader {
 public:
  ReplyReader(ByteSource& source, ReplyRead& result) : source_(source), result_(result) {}

  bool Read(std::span<uint8_t> into, const char* field, SourceFailure reason) {
    if (!source_.ReadExact(into)) return Fail(reason, Truncated(field, offset_ + into.size()));
    offset_ += into.size();
    return true;
  }
  bool Fail(SourceFailure reason, DecodeFailure detail = {}) {
    result_.failure = reason;
    result_.detail = detail;
    return false;
  }
  bool Skip(size_t count, const char* field) {
    uint8_t discard[1024];
    while (count > 0) {
      const size_t n = std::min(count, sizeof discard);
      if (!Read({discard, n}, field, SourceFailure::ErrorReceiving)) return false;
      count -= n;
    }
    return true;
  }
  bool ReadStreamFormat(size_t index, FormatSink& sink) {
    uint8_t head[kStreamFormatHeaderSize];
    if (!Read(head, "stream format record", SourceFailure::ErrorReceiving)) return false;
    auto header = DecodeStreamFormatHeader(head);
    if (!header) return Fail(SourceFailure::ErrorReceiving, header.failure());
    uint8_t* block = sink.FormatBlock(index, header.value());
    const uint32_t length = header.value().formatLength;
    if (length == 0) return true;
    if (!block) return Fail(SourceFailure::ErrorReceiving, NoMemory("format block", length));
    return Read({block, length}, "format block", SourceFailure::ErrorReceiving);
  }

 private:
  ByteSource& source_;
  ReplyRead& result_;
  size_t offset_ = 0;
};

}  // namespace

uint8_t* StreamFormatPairSink::FormatBlock(size_t index, const StreamFormatHeader& header) {
  formats[index].type = header.type;
  formats[index].formatBlock.assign(header.formatLength, 0);
  return formats[index].formatBlock.data();
}

ReplyRead ReadServerReply(ByteSource& source, uint32_t requestedVersion, ReplyStatus& status, FormatSink& sink) {
  ReplyRead result;
  ReplyReader reader(source, result);

  uint8_t prologue[kReplyPrologueSize];
  if (!reader.Read(prologue, "reply magic and version", SourceFailure::NoResponse)) return result;
  auto version = DecodeReplyPrologue(prologue);
  if (!version) {
    const bool badMagic = version.error() == DecodeError::BadMagic;
    status.result = badMagic ? kResultWrongMagic : kResultIncompatibleVersion;
    reader.Fail(badMagic ? SourceFailure::UnrecognizedResponse : SourceFailure::IncompatibleVersions,
                version.failure());
    return result;
  }
  if (CheckReplyVersion(requestedVersion, version.value()) == VersionAnswer::Protocol25Only) {
    reader.Fail(SourceFailure::Protocol25Only);
    return result;
  }
  result.acceptedVersion = version.value();

  uint8_t statusBytes[kReplyStatusSize];
  if (!reader.Read(statusBytes, "reply status", SourceFailure::ErrorReceiving)) return result;
  status = DecodeReplyStatus(statusBytes).value();
  // A refusal ends here: the server sends nothing more.
  if (status.result != kResultAccepted) {
    reader.Fail(SourceFailure::ServerRefused);
    return result;
  }

  if (version.value() == kProtocolVersion80) {
    uint8_t extension[kReplyExtensionHeaderSize];
    if (!reader.Read(extension, "reply extension header", SourceFailure::ErrorReceiving)) return result;
    result.extensionLength = DecodeReplyExtensionHeader(extension).value();
    if (!reader.Skip(result.extensionLength, "reply extension")) return result;
  }
  if (reader.ReadStreamFormat(kVideoFormatIndex, sink)) reader.ReadStreamFormat(kAudioFormatIndex, sink);
  return result;
}

}  // namespace zm::protocol
