// The reply's wire form, and the reader that the control runs over its socket, here over a buffer.
#include "protocol/reply_codec.h"

#include <gtest/gtest.h>

#include <utility>

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

ServerReply SampleReply(uint32_t version, Bytes extension = {0xE1, 0xE2, 0xE3}) {
  ServerReply reply;
  reply.protocolVersion = version;
  reply.status = SampleStatus();
  if (version == kProtocolVersion80) reply.extension = std::move(extension);
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
    PutLE(expected, 0, 4);
    PutLE(expected, 1, 2);
    PutLE(expected, 0x42, 1);
    PutLE(expected, 0, 1);
    PutLE(expected, 0x00050007, 4);
    PutLE(expected, 1, 4);
    if (version == kProtocolVersion80) expected.insert(expected.end(), {3, 0, 0, 0, 0xE1, 0xE2, 0xE3});
    AppendStreamFormatPair(test::SampleFormats(), expected);
    EXPECT_EQ(expected, EncodeServerReply(SampleReply(version))) << version;
  }
}

TEST(ReplyReading, AcceptedReplyReadsBackWholeInBothVersionsWithAnyExtension) {
  const std::pair<uint32_t, Bytes> cases[] = {
      {kProtocolVersion25, {}}, {kProtocolVersion80, {}}, {kProtocolVersion80, Bytes(3000, 0x5A)}};
  for (const auto& [version, extension] : cases) {
    Bytes wire = EncodeServerReply(SampleReply(version, extension));
    wire.push_back(0x77);  // what follows the reply is left unread
    Read read = ReadReply(wire, version);
    ASSERT_TRUE(read.result.ok()) << DescribeFailure(read.result.detail);
    EXPECT_EQ(version, read.result.acceptedVersion);
    EXPECT_EQ(extension.size(), read.result.extensionLength);
    EXPECT_EQ(SampleStatus(), read.status);
    EXPECT_EQ(test::SampleFormats(), read.sink.formats);
    EXPECT_EQ(wire.size() - 1, read.consumed);
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
  EXPECT_EQ(SourceFailure::ServerRefused, read.result.failure);
  EXPECT_EQ(reply.status, read.status);
  EXPECT_EQ(24u, read.consumed);
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
    EXPECT_EQ(badMagic ? SourceFailure::UnrecognizedResponse : SourceFailure::IncompatibleVersions,
              read.result.failure);
    EXPECT_EQ(badMagic ? DecodeError::BadMagic : DecodeError::UnsupportedVersion, read.result.detail.error);
    EXPECT_EQ(badMagic ? magic : version, read.result.detail.value);
    EXPECT_EQ(badMagic ? kResultWrongMagic : kResultIncompatibleVersion, read.status.result);
    EXPECT_EQ(0u, read.result.acceptedVersion);
  }
}

TEST(ReplyReading, Version25AnswerToA80RequestAsksAgainAndIsAcceptedOtherwise) {
  EXPECT_EQ(VersionAnswer::Protocol25Only, CheckReplyVersion(80, 25));
  EXPECT_EQ(VersionAnswer::Accepted, CheckReplyVersion(25, 25));
  EXPECT_EQ(VersionAnswer::Accepted, CheckReplyVersion(25, 80));
  EXPECT_EQ(VersionAnswer::Incompatible, CheckReplyVersion(80, 81));
  Read read = ReadReply(EncodeServerReply(SampleReply(kProtocolVersion25)), kProtocolVersion80);
  EXPECT_EQ(SourceFailure::Protocol25Only, read.result.failure);
  EXPECT_EQ(0u, read.result.acceptedVersion);
  EXPECT_EQ(8u, read.consumed);
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

TEST(ReplyReading, OversizeFormatLengthFailsBeforeItsBlockIsAllocated) {
  Bytes wire = EncodeServerReply(SampleReply(kProtocolVersion80));
  wire.resize(wire.size() - 2 - 8);  // up to the audio record's format length
  PutLE(wire, kMaxFormatBlockBytes + 1, 4);
  PutLE(wire, 0, 4);
  Read read = ReadReply(wire);
  EXPECT_EQ(SourceFailure::ErrorReceiving, read.result.failure);
  EXPECT_EQ(DecodeError::LengthTooLarge, read.result.detail.error);
  EXPECT_TRUE(read.sink.formats[kAudioFormatIndex].formatBlock.empty());
}

TEST(ReplyReading, SinkWithoutABlockFailsTheReply) {
  struct NoMemorySink final : FormatSink {
    uint8_t* FormatBlock(size_t, const StreamFormatHeader&) override { return nullptr; }
  } sink;
  Bytes wire = EncodeServerReply(SampleReply(kProtocolVersion80));
  BufferByteSource source(wire);
  ReplyStatus status;
  ReplyRead read = ReadServerReply(source, kProtocolVersion80, status, sink);
  EXPECT_EQ(SourceFailure::ErrorReceiving, read.failure);
  EXPECT_EQ(DecodeError::NoMemory, read.detail.error);
  EXPECT_EQ(9u, read.detail.value);
}

}  // namespace
}  // namespace zm::protocol
