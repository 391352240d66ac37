#include "protocol/media_frame_codec.h"

#include <gtest/gtest.h>

#include "protocol/wire_limits.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

MediaFrameHeader SampleHeader() {
  MediaFrameHeader h;
  h.streamType = kStreamTypeVideo;
  h.flags = 0x0102;
  h.itemIndex = 0x0304;
  h.time = 0x1122334455667788;
  h.stopTime = -2;
  h.keyFrame = 1;
  h.hasNewFormat = 0x7F;
  h.tag = 0xA1B2;
  h.length = 3;
  h.reserved1 = 0xCAFEBABE;
  return h;
}

Bytes SampleHeaderBytes(uint32_t length) {
  Bytes b;
  PutLE(b, 2, 4);
  PutLE(b, 0x0102, 2);
  PutLE(b, 0x0304, 2);
  PutLE(b, 0x1122334455667788, 8);
  PutLE(b, 0xFFFFFFFFFFFFFFFE, 8);
  PutLE(b, 1, 1);
  PutLE(b, 0x7F, 1);
  PutLE(b, 0xA1B2, 2);
  PutLE(b, length, 4);
  PutLE(b, 0, 4);  // data pointer
  PutLE(b, 0xCAFEBABE, 4);
  return b;
}

TEST(MediaFrameEncoding, HeaderIsFortyLittleEndianBytesInFieldOrder) {
  auto bytes = EncodeMediaFrameHeader(SampleHeader());
  EXPECT_EQ(SampleHeaderBytes(3), Bytes(bytes.begin(), bytes.end()));
}

TEST(MediaFrameEncoding, FrameIsHeaderThenPayloadWithPayloadSizeAsLength) {
  MediaFrame frame{SampleHeader(), {9, 8, 7, 6, 5}};
  frame.header.length = 999;  // the payload decides
  Bytes out;
  AppendMediaFrame(frame, out);
  Bytes expected = SampleHeaderBytes(5);
  expected.insert(expected.end(), {9, 8, 7, 6, 5});
  EXPECT_EQ(expected, out);
}

TEST(MediaFrameDecoding, RoundTripKeepsEveryField) {
  MediaFrame frame{SampleHeader(), {1, 2, 3}};
  Bytes wire;
  AppendMediaFrame(frame, wire);
  auto decoded = DecodeMediaFrame(wire);
  ASSERT_TRUE(decoded.ok()) << DescribeFailure(decoded.failure());
  EXPECT_EQ(frame.header, decoded.value().header);
  EXPECT_EQ(frame.payload, decoded.value().payload);
  EXPECT_EQ(wire.size(), decoded.consumed());
}

TEST(MediaFrameDecoding, DataPointerOnTheWireIsIgnored) {
  Bytes wire = SampleHeaderBytes(0);
  for (int i = 32; i < 36; ++i) wire[i] = 0xEE;
  auto decoded = DecodeMediaFrameHeader(wire);
  ASSERT_TRUE(decoded.ok());
  MediaFrameHeader expected = SampleHeader();
  expected.length = 0;
  EXPECT_EQ(expected, decoded.value());
}

TEST(MediaFrameDecoding, EndOfStreamFrameHasNoPayload) {
  MediaFrame end;
  end.header.streamType = kStreamTypeAudio;
  Bytes wire;
  AppendMediaFrame(end, wire);
  ASSERT_EQ(kMediaFrameHeaderSize, wire.size());
  auto decoded = DecodeMediaFrame(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(0u, decoded.value().header.length);
  EXPECT_TRUE(decoded.value().payload.empty());
  EXPECT_EQ(kMediaFrameHeaderSize, decoded.consumed());
}

TEST(MediaFrameDecoding, TruncatedInputFailsAtEveryLength) {
  Bytes wire;
  AppendMediaFrame(MediaFrame{SampleHeader(), {1, 2, 3, 4}}, wire);
  for (size_t n = 0; n < wire.size(); ++n) {
    Bytes part(wire.begin(), wire.begin() + static_cast<ptrdiff_t>(n));
    auto decoded = DecodeMediaFrame(part);
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
    EXPECT_GT(decoded.failure().needed, n) << n;
  }
}

TEST(MediaFrameDecoding, PayloadLengthAtTheBoundIsAccepted) {
  auto decoded = DecodeMediaFrameHeader(SampleHeaderBytes(kMaxFramePayloadBytes));
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(16u * 1024 * 1024, decoded.value().length);
}

TEST(MediaFrameDecoding, PayloadLengthAboveTheBoundIsRejectedFromTheHeaderAlone) {
  for (uint32_t length : {kMaxFramePayloadBytes + 1, 0xFFFFFFFFu}) {
    auto decoded = DecodeMediaFrame(SampleHeaderBytes(length));  // no payload bytes follow
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(DecodeError::LengthTooLarge, decoded.error());
    EXPECT_EQ(length, decoded.failure().value);
  }
}

TEST(StreamChangeRecognition, NeedsBothTheTagAndTheStopTime) {
  MediaFrameHeader h;
  h.tag = 0x9F64;
  h.stopTime = -19839;
  EXPECT_TRUE(IsStreamChangeFrame(h));
  auto bytes = EncodeMediaFrameHeader(h);
  EXPECT_EQ(Bytes({0x81, 0xB2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), Bytes(bytes.begin() + 16, bytes.begin() + 24));
  h.stopTime = 0xFFFFB281;  // only the low half
  EXPECT_FALSE(IsStreamChangeFrame(h));
  h.stopTime = -19839;
  h.tag = 0x9F65;
  EXPECT_FALSE(IsStreamChangeFrame(h));
}

}  // namespace
}  // namespace zm::protocol
