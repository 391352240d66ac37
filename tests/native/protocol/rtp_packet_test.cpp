// The RTP datagram: hand-written golden bytes and what decoding refuses. How a frame is cut
// into pieces is proven by putting the pieces back together (rtp_reassembly_test.cpp).
#include "protocol/rtp_packet.h"

#include <gtest/gtest.h>

#include "tests/native/protocol/wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;
using test::PutRaw;

TEST(RtpDatagram, HeaderPacketGoldenBytesDecodeToTheirFields) {
  Bytes b;
  PutRaw(b, {0x80, 0x81, 0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 0xCA, 0xFE, 0xBA, 0xBE});
  PutLE(b, {{2, 4}, {0, 4}, {10'000'000, 8}, {0, 8}});  // video, time 1 s
  PutRaw(b, {1, 0});
  PutLE(b, {{0, 2}, {3, 4}, {0, 4}, {0, 4}});  // key, length 3
  PutLE(b, 3, 4);
  PutRaw(b, {7, 8, 9, 0xEE});  // a piece of 3 and one byte too many
  const auto d = DecodeRtpDatagram(b);
  ASSERT_TRUE(d.ok()) << DescribeFailure(d.failure());
  EXPECT_EQ(0xFFFE, d.value().sequence);
  EXPECT_EQ(0x01020304u, d.value().timestamp);
  EXPECT_EQ(0xCAFEBABEu, d.value().ssrc);
  EXPECT_TRUE(d.value().redundantCopy);
  ASSERT_TRUE(d.value().header);
  EXPECT_EQ(3u, d.value().header->length);
  EXPECT_EQ(1, d.value().header->keyFrame);
  EXPECT_EQ(Bytes({7, 8, 9}), Bytes(d.value().payload.begin(), d.value().payload.end()));
  EXPECT_EQ(b.size() - 1, d.consumed());

  MediaFrame frame{d.value().header.value(), {7, 8, 9}};
  const auto encoded = PacketiseFrame(frame, {0xFFFE, 0x01020304, 0xCAFEBABE, true});
  ASSERT_EQ(1u, encoded.size());
  EXPECT_EQ(Bytes(b.begin(), b.end() - 1), encoded[0]);
}

TEST(RtpDatagram, RefusesOtherVersionsAndPiecesPastTheEnd) {
  const Bytes plain = {0x80, 0x00, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 2, 0, 0, 0, 0xAA, 0xBB};
  ASSERT_TRUE(DecodeRtpDatagram(plain).ok());
  EXPECT_FALSE(DecodeRtpDatagram(plain).value().header);
  const std::tuple<Bytes, DecodeError, size_t> cases[] = {
      {{0x90, 0, 0, 1}, DecodeError::BadMagic, 0},  // an extension bit: not ours
      {{}, DecodeError::Truncated, 12},
      {Bytes(plain.begin(), plain.begin() + 11), DecodeError::Truncated, 12},
      {Bytes(plain.begin(), plain.begin() + 15), DecodeError::Truncated, 16},
      {Bytes(plain.begin(), plain.end() - 1), DecodeError::Truncated, 18},
      {{0x80, 0x80, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 2, 0}, DecodeError::Truncated, 52},  // header cut
  };
  for (const auto& [bytes, error, needed] : cases) {
    const auto d = DecodeRtpDatagram(bytes);
    ASSERT_FALSE(d.ok()) << bytes.size();
    EXPECT_EQ(error, d.error()) << bytes.size();
    if (error == DecodeError::Truncated) EXPECT_EQ(needed, d.failure().needed) << bytes.size();
  }
}

}  // namespace
}  // namespace zm::protocol
