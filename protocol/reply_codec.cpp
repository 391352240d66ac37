#include "protocol/reply_codec.h"

#include <algorithm>

#include "protocol/wire_field.h"

namespace zm::protocol {
namespace {

constexpr WireField kMagic{0, 4};
constexpr WireField kVersion{4, 4};
constexpr WireField kPrologueFields[] = {kMagic, kVersion};
static_assert(FieldsTile<kReplyPrologueSize>(kPrologueFields));

constexpr WireField kResult{0, 4};
constexpr WireField kResourceKind{4, 2};
constexpr WireField kPlaylistGeneration{6, 1};
constexpr WireField kUnused{7, 1};
constexpr WireField kServerFlags{8, 4};
constexpr WireField kSeekable{12, 4};
constexpr WireField kStatusFields[] = {kResult, kResourceKind, kPlaylistGeneration, kUnused, kServerFlags, kSeekable};
static_assert(FieldsTile<kReplyStatusSize>(kStatusFields));

constexpr WireField kExtensionLength{0, 2};
constexpr WireField kExtensionUnused{2, 2};
constexpr WireField kExtensionFields[] = {kExtensionLength, kExtensionUnused};
static_assert(FieldsTile<kReplyExtensionHeaderSize>(kExtensionFields));

template <size_t N>
void Append(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes) {
  // Resize-then-copy: GCC 12's overflow check misreads insert() of a small array at -O2.
  size_t at = out.size();
  out.resize(at + N);
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

VersionAnswer CheckReplyVersion(uint32_t requested, uint32_t received) {
  if (received == kProtocolVersion80) return VersionAnswer::Accepted;
  if (received == kProtocolVersion25) {
    return requested == kProtocolVersion80 ? VersionAnswer::Protocol25Only : VersionAnswer::Accepted;
  }
  return VersionAnswer::Incompatible;
}

std::array<uint8_t, kReplyPrologueSize> EncodeReplyPrologue(uint32_t magic, uint32_t version) {
  std::array<uint8_t, kReplyPrologueSize> out{};
  PutField<kMagic>(out.data(), magic);
  PutField<kVersion>(out.data(), version);
  return out;
}

std::array<uint8_t, kReplyStatusSize> EncodeReplyStatus(const ReplyStatus& s) {
  std::array<uint8_t, kReplyStatusSize> out{};
  uint8_t* p = out.data();
  PutField<kResult>(p, s.result);
  PutField<kResourceKind>(p, s.resourceKind);
  PutField<kPlaylistGeneration>(p, s.playlistGeneration);
  PutField<kUnused>(p, s.unused);
  PutField<kServerFlags>(p, s.serverFlags);
  PutField<kSeekable>(p, s.seekable);
  return out;
}

std::array<uint8_t, kReplyExtensionHeaderSize> EncodeReplyExtensionHeader(uint16_t length) {
  std::array<uint8_t, kReplyExtensionHeaderSize> out{};
  PutField<kExtensionLength>(out.data(), length);
  PutField<kExtensionUnused>(out.data(), 0);
  return out;
}

std::vector<uint8_t> EncodeServerReply(const ServerReply& reply) {
  std::vector<uint8_t> out;
  Append(out, EncodeReplyPrologue(kReplyMagic, reply.protocolVersion));
  Append(out, EncodeReplyStatus(reply.status));
  if (reply.status.result != 0) return out;
  if (reply.protocolVersion == kProtocolVersion80) {
    Append(out, EncodeReplyExtensionHeader(static_cast<uint16_t>(reply.extension.size())));
    out.insert(out.end(), reply.extension.begin(), reply.extension.end());
  }
  AppendStreamFormatPair(reply.formats, out);
  return out;
}

DecodeResult<uint32_t> DecodeReplyPrologue(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<uint32_t>;
  if (bytes.size() < kReplyPrologueSize)
    return Result::Failure(Truncated("reply magic and version", kReplyPrologueSize));
  const uint32_t magic = GetField<kMagic>(bytes.data());
  if (magic != kReplyMagic) return Result::Failure(DecodeFailure{DecodeError::BadMagic, "reply magic", magic, 0});
  const uint32_t version = GetField<kVersion>(bytes.data());
  if (version != kProtocolVersion25 && version != kProtocolVersion80) {
    return Result::Failure(DecodeFailure{DecodeError::UnsupportedVersion, "reply protocol version", version, 0});
  }
  return Result::Success(version, kReplyPrologueSize);
}

DecodeResult<ReplyStatus> DecodeReplyStatus(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<ReplyStatus>;
  if (bytes.size() < kReplyStatusSize) return Result::Failure(Truncated("reply status", kReplyStatusSize));
  const uint8_t* p = bytes.data();
  ReplyStatus s;
  s.result = GetField<kResult>(p);
  s.resourceKind = GetField<kResourceKind>(p);
  s.playlistGeneration = GetField<kPlaylistGeneration>(p);
  s.unused = GetField<kUnused>(p);
  s.serverFlags = GetField<kServerFlags>(p);
  s.seekable = GetField<kSeekable>(p);
  return Result::Success(s, kReplyStatusSize);
}

DecodeResult<uint16_t> DecodeReplyExtensionHeader(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<uint16_t>;
  if (bytes.size() < kReplyExtensionHeaderSize) {
    return Result::Failure(Truncated("reply extension header", kReplyExtensionHeaderSize));
  }
  return Result::Success(GetField<kExtensionLength>(bytes.data()), kReplyExtensionHeaderSize);
}

}  // namespace zm::protocol
