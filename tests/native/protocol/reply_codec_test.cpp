#include "protocol/reply_codec.h"

#include <gtest/gtest.h>

#include "sample_formats.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

ReplyStatus SampleStatus() {
  return ReplyStatus{0, 1, 0x42, 0, 0x00050007, 1};
}

ServerReply SampleReply(uint32_t version) {
  ServerReply reply;
  reply.protocolVersion = version;
  reply.status = SampleStatus();
  if (version == kProtocolVersion80) reply.extension = {0xE1, 0xE2, 0xE3};
  reply.formats = test::SampleFormats();
  return reply;
}

Bytes StatusBytes() {
  Bytes b;
  PutLE(b, 0, 4);
  PutLE(b, 1, 2);
  PutLE(b, 0x42, 1);
  PutLE(b, 0, 1);
  PutLE(b, 0x00050007, 4);
  PutLE(b, 1, 4);
  return b;
}

TEST(ReplyEncoding, Protocol80ReplyHasMagicVersionStatusExtensionThenFormats) {
  Bytes expected = {0xB1, 0x36, 0, 0, 80, 0, 0, 0};
  Bytes status = StatusBytes();
  expected.insert(expected.end(), status.begin(), status.end());
  expected.insert(expected.end(), {3, 0, 0, 0, 0xE1, 0xE2, 0xE3});
  AppendStreamFormatPair(test::SampleFormats(), expected);
  EXPECT_EQ(expected, EncodeServerReply(SampleReply(80)));
}

TEST(ReplyEncoding, Protocol25ReplyHasNoExtensionHeader) {
  Bytes expected = {0xB1, 0x36, 0, 0, 25, 0, 0, 0};
  Bytes status = StatusBytes();
  expected.insert(expected.end(), status.begin(), status.end());
  AppendStreamFormatPair(test::SampleFormats(), expected);
  EXPECT_EQ(expected, EncodeServerReply(SampleReply(25)));
}

TEST(ReplyEncoding, RefusalEndsAfterTheStatus) {
  ServerReply reply = SampleReply(80);
  reply.status.result = 0x8FFF0543;
  Bytes wire = EncodeServerReply(reply);
  ASSERT_EQ(24u, wire.size());
  EXPECT_EQ(Bytes({0x43, 0x05, 0xFF, 0x8F}), Bytes(wire.begin() + 8, wire.begin() + 12));
}

TEST(ReplyDecoding, RoundTripInBothVersions) {
  for (uint32_t version : {kProtocolVersion25, kProtocolVersion80}) {
    Bytes wire = EncodeServerReply(SampleReply(version));
    auto decoded = DecodeServerReply(wire);
    ASSERT_TRUE(decoded.ok()) << DescribeFailure(decoded.failure());
    EXPECT_EQ(version, decoded.value().protocolVersion);
    EXPECT_EQ(SampleStatus(), decoded.value().status);
    EXPECT_EQ(SampleReply(version).extension, decoded.value().extension);
    EXPECT_EQ(test::SampleFormats(), decoded.value().formats);
    EXPECT_EQ(wire.size(), decoded.consumed());
  }
}

TEST(ReplyDecoding, Protocol80WithEmptyExtensionReadsOnlyTheTwoU16) {
  ServerReply reply = SampleReply(80);
  reply.extension.clear();
  Bytes wire = EncodeServerReply(reply);
  EXPECT_EQ(Bytes({0, 0, 0, 0}), Bytes(wire.begin() + 24, wire.begin() + 28));
  auto decoded = DecodeServerReply(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_TRUE(decoded.value().extension.empty());
  EXPECT_EQ(test::SampleFormats(), decoded.value().formats);
}

TEST(ReplyDecoding, WrongMagicFailsBeforeReadingMore) {
  Bytes wire = {0xB2, 0x36, 0, 0};  // nothing after the magic is needed to refuse it
  wire.resize(8, 0);
  auto decoded = DecodeReplyPrologue(wire);
  ASSERT_FALSE(decoded.ok());
  EXPECT_EQ(DecodeError::BadMagic, decoded.error());
  EXPECT_EQ(0x36B2u, decoded.failure().value);
  EXPECT_EQ(DecodeError::BadMagic, DecodeServerReply(wire).error());
}

TEST(ReplyDecoding, VersionOtherThan25Or80IsUnsupported) {
  for (uint32_t version : {0u, 24u, 26u, 79u, 81u, 0xFFFFFFFFu}) {
    Bytes wire = {0xB1, 0x36, 0, 0};
    PutLE(wire, version, 4);
    auto decoded = DecodeReplyPrologue(wire);
    ASSERT_FALSE(decoded.ok()) << version;
    EXPECT_EQ(DecodeError::UnsupportedVersion, decoded.error());
    EXPECT_EQ(version, decoded.failure().value);
  }
}

TEST(ReplyDecoding, RefusalStopsAfterTheStatus) {
  ServerReply reply = SampleReply(80);
  reply.status.result = 0x80004005;
  Bytes wire = EncodeServerReply(reply);
  auto decoded = DecodeServerReply(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(0x80004005u, decoded.value().status.result);
  EXPECT_EQ(24u, decoded.consumed());
}

TEST(ReplyDecoding, TruncatedReplyFailsAtEveryLength) {
  for (uint32_t version : {kProtocolVersion25, kProtocolVersion80}) {
    Bytes wire = EncodeServerReply(SampleReply(version));
    for (size_t n = 0; n < wire.size(); ++n) {
      auto decoded = DecodeServerReply(std::span<const uint8_t>(wire.data(), n));
      ASSERT_FALSE(decoded.ok()) << version << " " << n;
      EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
      EXPECT_GT(decoded.failure().needed, n) << n;
    }
  }
}

TEST(ReplyVersionCheck, Version25AnswerToA80RequestAsksForAFallback) {
  EXPECT_EQ(VersionAnswer::Protocol25Only, CheckReplyVersion(80, 25));
  EXPECT_EQ(VersionAnswer::Accepted, CheckReplyVersion(25, 25));
  EXPECT_EQ(VersionAnswer::Accepted, CheckReplyVersion(80, 80));
  EXPECT_EQ(VersionAnswer::Accepted, CheckReplyVersion(25, 80));
  EXPECT_EQ(VersionAnswer::Incompatible, CheckReplyVersion(80, 81));
}

}  // namespace
}  // namespace zm::protocol
