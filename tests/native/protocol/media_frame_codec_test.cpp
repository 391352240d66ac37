#include "protocol/media_frame_codec.h"

#include <gtest/gtest.h>

#include "protocol/wire_limits.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

MediaFrameHeader SampleHeader(uint32_t length = 3) {
  return MediaFrameHeader{kStreamTypeVideo, 0x0102, 0x0304,    0x1122334455667788, -2, 1, 0x7F,
                          0xA1B2,           length, 0xCAFEBABE};
}

Bytes SampleHeaderBytes(uint32_t length) {
  Bytes b;
  PutLE(b, {{2, 4}, {0x0102, 2}, {0x0304, 2}, {0x1122334455667788, 8}});
  PutLE(b, {{0xFFFFFFFFFFFFFFFE, 8}, {1, 1}, {0x7F, 1}, {0xA1B2, 2}, {length, 4}});
  PutLE(b, {{0, 4}, {0xCAFEBABE, 4}});  // the data pointer, then the last field
  return b;
}

TEST(MediaFrameEncoding, FortyLittleEndianHeaderBytesThenPayloadWhoseSizeIsTheLength) {
  auto head = EncodeMediaFrameHeader(SampleHeader());
  EXPECT_EQ(SampleHeaderBytes(3), Bytes(head.begin(), head.end()));
  MediaFrame frame{SampleHeader(999), {9, 8, 7, 6, 5}};  // the payload decides the length
  Bytes out;
  AppendMediaFrame(frame, out);
  Bytes expected = SampleHeaderBytes(5);
  expected.insert(expected.end(), {9, 8, 7, 6, 5});
  EXPECT_EQ(expected, out);
}

TEST(MediaFrameDecoding, HeaderAndPayloadReadBackIgnoringTheDataPointer) {
  for (Bytes payload : {Bytes{}, Bytes{1, 2, 3}}) {  // an empty payload ends a stream
    Bytes wire = SampleHeaderBytes(static_cast<uint32_t>(payload.size()));
    for (int i = 32; i < 36; ++i) wire[i] = 0xEE;
    wire.insert(wire.end(), payload.begin(), payload.end());
    wire.push_back(0x55);  // what follows is not consumed
    auto decoded = DecodeMediaFrame(wire);
    ASSERT_TRUE(decoded.ok()) << DescribeFailure(decoded.failure());
    EXPECT_EQ(SampleHeader(static_cast<uint32_t>(payload.size())), decoded.value().header);
    EXPECT_EQ(payload, decoded.value().payload);
    EXPECT_EQ(wire.size() - 1, decoded.consumed());
  }
}

TEST(MediaFrameDecoding, TruncatedInputFailsAtEveryLengthAndThePayloadLengthIsBoundedFromTheHeaderAlone) {
  Bytes wire;
  AppendMediaFrame(MediaFrame{SampleHeader(), {1, 2, 3, 4}}, wire);
  for (size_t n = 0; n < wire.size(); ++n) {
    auto decoded = DecodeMediaFrame(std::span<const uint8_t>(wire.data(), n));
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
    EXPECT_GT(decoded.failure().needed, n) << n;
  }
  for (uint32_t length : {kMaxFramePayloadBytes, kMaxFramePayloadBytes + 1, 0xFFFFFFFFu}) {
    auto decoded = DecodeMediaFrameHeader(SampleHeaderBytes(length));
    EXPECT_EQ(length <= 16u * 1024 * 1024, decoded.ok()) << length;
    if (!decoded)
      EXPECT_EQ(std::tuple(DecodeError::LengthTooLarge, length), std::tuple(decoded.error(), decoded.failure().value));
  }
}

TEST(StreamChangeRecognition, NeedsBothTheTagAndTheWholeStopTime) {
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
