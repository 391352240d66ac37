// The server's reply on the wire: magic, protocol version, the 16-byte ReplyStatus,
// the protocol-80 extension, then the two StreamFormat records.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/decode_result.h"
#include "protocol/stream_format_codec.h"

namespace zm::protocol {

inline constexpr uint32_t kReplyMagic = 0x000036B1;
inline constexpr uint32_t kProtocolVersion25 = 25;
inline constexpr uint32_t kProtocolVersion80 = 80;

inline constexpr size_t kReplyPrologueSize = 8;  // magic, version
inline constexpr size_t kReplyStatusSize = 16;
inline constexpr size_t kReplyExtensionHeaderSize = 4;  // u16 length, u16 not used

struct ReplyStatus {
  uint32_t result = 0;        // 0 accepted, else an HRESULT-shaped error code
  uint16_t resourceKind = 0;  // 0 stored media, 1 live
  uint8_t playlistGeneration = 0;
  uint8_t unused = 0;
  uint32_t serverFlags = 0;  // option bits for live streams, the duration in ms for stored media
  uint32_t seekable = 0;

  friend bool operator==(const ReplyStatus&, const ReplyStatus&) = default;
};

struct ServerReply {
  uint32_t protocolVersion = kProtocolVersion80;
  ReplyStatus status;
  std::vector<uint8_t> extension;  // protocol 80 only; the client discards it
  StreamFormatPair formats;        // sent only when status.result is 0
};

// How a client that asked for `requested` treats the version a server answered with.
enum class VersionAnswer { Accepted, Protocol25Only, Incompatible };
VersionAnswer CheckReplyVersion(uint32_t requested, uint32_t received);

std::array<uint8_t, kReplyPrologueSize> EncodeReplyPrologue(uint32_t magic, uint32_t version);
std::array<uint8_t, kReplyStatusSize> EncodeReplyStatus(const ReplyStatus& status);
std::array<uint8_t, kReplyExtensionHeaderSize> EncodeReplyExtensionHeader(uint16_t length);
// The whole reply; a refusal (result not 0) ends after the status, as a client stops there.
std::vector<uint8_t> EncodeServerReply(const ServerReply& reply);

// Magic and version: BadMagic for a wrong magic (checked first), UnsupportedVersion for a
// version other than 25 and 80. The value is the version.
DecodeResult<uint32_t> DecodeReplyPrologue(std::span<const uint8_t> bytes);
DecodeResult<ReplyStatus> DecodeReplyStatus(std::span<const uint8_t> bytes);
// The value is the extension length that follows the 4 bytes.
DecodeResult<uint16_t> DecodeReplyExtensionHeader(std::span<const uint8_t> bytes);
// A whole reply is read by ReadServerReply (protocol/reply_reader.h), over a socket or a buffer.

}  // namespace zm::protocol
