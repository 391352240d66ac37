// The reply's wire form, and the reader that the control runs over its socket, here over a buffer.
// An accepted reply read back whole in either version, with an extension skipped to the byte,
// an oversize format length and a failed block allocation are proven over a socket, with the
// task allocator watched, by the Wine reply and negotiation tests.
#include "protocol/reply_codec.h"

#include <gtest/gtest.h>

#include <tuple>

#include "protocol/reply_reader.h"
#include "protocol/result_codes.h"
#include "protocol/wire_limits.h"
#include "sample_formats.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

ReplyStatus SampleStatus() { return ReplyStatus{0, 1, 0x42, 0, 0x00050007, 1}; }

ServerReply SampleReply(uint32_t version) {
  ServerReply reply;
  reply.protocolVersion = version;
  reply.status = SampleStatus();
  if (version == kProtocolVersion80) reply.extension = {0xE1, 0xE2, 0xE3};
  reply.formats = test::SampleFormats();
  return reply;
}

struct Read {
  ReplyRead result;
  ReplyStatus status;
  StreamFormatPairSink sink;
  size_t consumed = 0;
};

Read ReadReply(std::span<const uint8_t> wire, uint32_t requested = kProtocolVersion80) {
  Read read;
  BufferByteSource source(wire);
  read.result = ReadServerReply(source, requested, read.status, read.sink);
  read.consumed = source.consumed();
  return read;
}

TEST(ReplyEncoding, MagicVersionStatusThenExtensionForProtocol80ThenFormats) {
  for (uint32_t version : {kProtocolVersion25, kProtocolVersion80}) {
    Bytes expected = {0xB1, 0x36, 0, 0, static_cast<uint8_t>(version), 0, 0, 0};
    PutLE(expected, {{0, 4}, {1, 2}, {0x42, 1}, {0, 1}});
    PutLE(expected, {{0x00050007, 4}, {1, 4}});
    if (version == kProtocolVersion80) expected.insert(expected.end(), {3, 0, 0, 0, 0xE1, 0xE2, 0xE3});
    AppendStreamFormatPair(test::SampleFormats(), expected);
    EXPECT_EQ(expected, EncodeServerReply(SampleReply(version))) << version;
  }
}

TEST(ReplyReading, RefusalStopsAfterTheStatusWithTheServersResult) {
  ServerReply reply = SampleReply(kProtocolVersion80);
  reply.status.result = kResultCredentialsNeeded;
  Bytes wire = EncodeServerReply(reply);
  ASSERT_EQ(24u, wire.size());
  EXPECT_EQ(Bytes({0x43, 0x05, 0xFF, 0x8F}), Bytes(wire.begin() + 8, wire.begin() + 12));
  wire.resize(200, 0xEE);
  Read read = ReadReply(wire);
  EXPECT_EQ(std::tuple(SourceFailure::ServerRefused, reply.status, 24u),
            std::tuple(read.result.failure, read.status, read.consumed));
}

TEST(ReplyReading, WrongMagicOrVersionSetsTheClientsCodeFromTheFirstEightBytes) {
  const std::pair<uint32_t, uint32_t> cases[] = {{0x36B2, 80},      {0x36B2, 7},       {kReplyMagic, 0},
                                                 {kReplyMagic, 26}, {kReplyMagic, 81}, {kReplyMagic, 0xFFFFFFFF}};
  for (auto [magic, version] : cases) {
    Bytes wire;
    PutLE(wire, magic, 4);
    PutLE(wire, version, 4);
    Read read = ReadReply(wire);  // nothing after the 8 bytes is needed to refuse them
    const bool badMagic = magic != kReplyMagic;
    SCOPED_TRACE(testing::Message() << magic << " " << version);
    EXPECT_EQ(badMagic
                  ? std::tuple(SourceFailure::UnrecognizedResponse, DecodeError::BadMagic, magic, kResultWrongMagic)
                  : std::tuple(SourceFailure::IncompatibleVersions, DecodeError::UnsupportedVersion, version,
                               kResultIncompatibleVersion),
              std::tuple(read.result.failure, read.result.detail.error, read.result.detail.value, read.status.result));
    EXPECT_EQ(0u, read.result.acceptedVersion);
  }
}

TEST(ReplyReading, Version25AnswerToA80RequestAsksAgainAndIsAcceptedOtherwise) {
  EXPECT_EQ(std::tuple(VersionAnswer::Protocol25Only, VersionAnswer::Accepted, VersionAnswer::Accepted,
                       VersionAnswer::Incompatible),
            std::tuple(CheckReplyVersion(80, 25), CheckReplyVersion(25, 25), CheckReplyVersion(25, 80),
                       CheckReplyVersion(80, 81)));
  Read read = ReadReply(EncodeServerReply(SampleReply(kProtocolVersion25)), kProtocolVersion80);
  EXPECT_EQ(std::tuple(SourceFailure::Protocol25Only, 0u, 8u),
            std::tuple(read.result.failure, read.result.acceptedVersion, read.consumed));
}

TEST(ReplyReading, ReplyCutShortFailsAtEveryLengthAsNoResponseThenAsReceiveError) {
  for (uint32_t version : {kProtocolVersion25, kProtocolVersion80}) {
    Bytes wire = EncodeServerReply(SampleReply(version));
    for (size_t n = 0; n < wire.size(); ++n) {
      Read read = ReadReply(std::span<const uint8_t>(wire.data(), n), version);
      const SourceFailure expected = n < kReplyPrologueSize ? SourceFailure::NoResponse : SourceFailure::ErrorReceiving;
      ASSERT_EQ(expected, read.result.failure) << version << " " << n;
      EXPECT_EQ(DecodeError::Truncated, read.result.detail.error) << n;
      EXPECT_GT(read.result.detail.needed, n) << n;
    }
  }
}

}  // namespace
}  // namespace zm::protocol
