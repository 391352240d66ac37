#include "protocol/stream_change_codec.h"

#include <gtest/gtest.h>

#include "sample_formats.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

StreamChange SampleChange(std::vector<uint8_t> skipped) {
  return StreamChange{ReplyStatus{0, 1, 3, 0, 0x5, 1}, std::move(skipped), test::SampleFormats()};
}

TEST(StreamChangeEncoding, StatusAtByte8SkipCountAtByte24RecordsAfterTheSkip) {
  Bytes expected(8, 0);
  PutLE(expected, {{0, 4}, {1, 2}, {3, 1}, {0, 1}, {5, 4}});
  PutLE(expected, {{1, 4}, {2, 2}, {0, 2}});  // the skip count in the first word
  expected.insert(expected.end(), {0xAA, 0xBB});
  AppendStreamFormatPair(test::SampleFormats(), expected);
  EXPECT_EQ(expected, EncodeStreamChangePayload(SampleChange({0xAA, 0xBB})));
}

TEST(StreamChangeDecoding, RoundTripWithAndWithoutSkippedBytes) {
  for (auto skipped : {std::vector<uint8_t>{}, std::vector<uint8_t>{1, 2, 3, 4, 5}}) {
    Bytes wire = EncodeStreamChangePayload(SampleChange(skipped));
    auto decoded = DecodeStreamChangePayload(wire);
    ASSERT_TRUE(decoded.ok()) << DescribeFailure(decoded.failure());
    EXPECT_EQ(SampleChange(skipped).status, decoded.value().status);
    EXPECT_EQ(skipped, decoded.value().skipped);
    EXPECT_EQ(test::SampleFormats(), decoded.value().formats);
    EXPECT_EQ(wire.size(), decoded.consumed());
  }
}

TEST(StreamChangeDecoding, TruncatedPayloadSkipCountBeyondItAndOversizeFormatBlockFail) {
  Bytes wire = EncodeStreamChangePayload(SampleChange({9, 9, 9}));
  for (size_t n = 0; n < wire.size(); ++n) {
    auto decoded = DecodeStreamChangePayload(std::span<const uint8_t>(wire.data(), n));
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
  }
  wire[24] = 0xFF;
  wire[25] = 0xFF;
  EXPECT_EQ(DecodeError::Truncated, DecodeStreamChangePayload(wire).error());
  Bytes oversize = EncodeStreamChangePayload(SampleChange({}));
  const size_t videoLength = 28 + 64;
  oversize[videoLength] = 0x01;  // 0x00010001 = 65537
  oversize[videoLength + 2] = 0x01;
  EXPECT_EQ(DecodeError::LengthTooLarge, DecodeStreamChangePayload(oversize).error());
}

}  // namespace
}  // namespace zm::protocol
