#include "protocol/format_blocks.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

TEST(VideoInfoHeaderLayout, BitRateAt32FrameTimeAt40BitmapHeaderAt48AndAShortBlockIsTruncated) {
  VideoInfoHeader h;
  h.target = {0, 0, 320, 240};
  h.bitRate = 0x01020304;
  h.avgTimePerFrame = 400000;
  h.bitmap.width = 320;
  h.bitmap.height = -240;
  h.bitmap.bitCount = 32;
  h.bitmap.sizeImage = 307200;
  Bytes wire = EncodeVideoInfoHeader(h);
  ASSERT_EQ(88u, wire.size());
  Bytes expected(16, 0);  // source rectangle, then the target, bit rate, error rate, frame time
  PutLE(expected, {{0, 4}, {0, 4}, {320, 4}, {240, 4}});
  PutLE(expected, {{0x01020304, 4}, {0, 4}, {400000, 8}});
  // The bitmap header: size, width, height -240, planes, bit count, compression, image size.
  PutLE(expected, {{40, 4}, {320, 4}, {0xFFFFFF10, 4}, {1, 2}});
  PutLE(expected, {{32, 2}, {0, 4}, {307200, 4}});
  expected.resize(88, 0);
  EXPECT_EQ(expected, wire);
  auto decoded = DecodeVideoInfoHeader(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(h, decoded.value());
  wire.pop_back();
  EXPECT_EQ(DecodeError::Truncated, DecodeVideoInfoHeader(wire).error());
}

TEST(WaveFormatExLayout, EighteenBytesInFieldOrderAndAShortBlockIsTruncated) {
  WaveFormatEx w{1, 2, 44100, 176400, 4, 16, 0};
  Bytes wire = EncodeWaveFormatEx(w);
  Bytes expected;
  PutLE(expected, {{1, 2}, {2, 2}, {44100, 4}, {176400, 4}});
  PutLE(expected, {{4, 2}, {16, 2}, {0, 2}});
  EXPECT_EQ(expected, wire);
  auto decoded = DecodeWaveFormatEx(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(w, decoded.value());
  wire.pop_back();
  EXPECT_EQ(DecodeError::Truncated, DecodeWaveFormatEx(wire).error());
}

}  // namespace
}  // namespace zm::protocol
