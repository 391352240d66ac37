#include "protocol/stream_format_codec.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"
#include "protocol/wire_limits.h"
#include "sample_formats.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;
using test::PutRaw;

Bytes AudioRecordBytes(uint32_t formatLength) {
  Bytes b;
  PutRaw(b, {'a', 'u', 'd', 's', 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  PutRaw(b, {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  PutLE(b, {{1, 4}, {0x00020003, 4}, {4, 4}});  // fixed-size samples, temporal compression, sample size
  PutRaw(b, {0x81, 0x9F, 0x58, 0x05, 0x56, 0xC3, 0xCE, 0x11, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A});
  PutLE(b, {{0, 4}, {formatLength, 4}, {0, 4}});  // object pointer, length, format pointer
  return b;
}

StreamFormat AudioFormat() {
  return StreamFormat{{MEDIATYPE_Audio, MEDIASUBTYPE_PCM, 1, 0x00020003, 4, FORMAT_WaveFormatEx}, {0x10, 0x20, 0x30}};
}

TEST(StreamFormatEncoding, SeventyTwoBytesInMediaTypeLayoutThenTheBlockVideoFirst) {
  Bytes out;
  AppendStreamFormat(AudioFormat(), out);
  Bytes expected = AudioRecordBytes(3);
  ASSERT_EQ(72u, expected.size());
  PutRaw(expected, {0x10, 0x20, 0x30});
  EXPECT_EQ(expected, out);
  out.clear();
  AppendStreamFormatPair(test::SampleFormats(), out);
  ASSERT_EQ(72u + 9 + 72 + 2, out.size());
  EXPECT_EQ(0, memcmp(out.data(), "vids", 4));
  EXPECT_EQ(0, memcmp(out.data() + 81, "auds", 4));
}

TEST(StreamFormatDecoding, PointerFieldsOnTheWireAreIgnoredAndAPairReadsBackWithAnAbsentStreamAndAnEmptyBlock) {
  Bytes wire = AudioRecordBytes(3);
  for (int i = 60; i < 64; ++i) wire[i] = 0x11;
  for (int i = 68; i < 72; ++i) wire[i] = 0x22;
  PutRaw(wire, {0x10, 0x20, 0x30});
  auto decoded = DecodeStreamFormat(wire);
  ASSERT_TRUE(decoded.ok()) << DescribeFailure(decoded.failure());
  EXPECT_EQ(AudioFormat(), decoded.value());
  EXPECT_EQ(75u, decoded.consumed());
  StreamFormatPair formats = test::SampleFormats();
  formats[kVideoFormatIndex] = StreamFormat{};  // all-zero major type: no video stream
  formats[kAudioFormatIndex].formatBlock.clear();
  Bytes pair;
  AppendStreamFormatPair(formats, pair);
  auto both = DecodeStreamFormatPair(pair);
  ASSERT_TRUE(both.ok());
  EXPECT_FALSE(both.value()[kVideoFormatIndex].IsPresent());
  EXPECT_TRUE(both.value()[kAudioFormatIndex].IsPresent());
  EXPECT_EQ(formats, both.value());
  EXPECT_EQ(144u, both.consumed());
}

TEST(StreamFormatDecoding, TruncatedPairFailsAtEveryLengthAndTheFormatLengthIsBoundedFromTheRecordAlone) {
  Bytes wire;
  AppendStreamFormatPair(test::SampleFormats(), wire);
  for (size_t n = 0; n < wire.size(); ++n) {
    auto decoded = DecodeStreamFormatPair(std::span<const uint8_t>(wire.data(), n));
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
    EXPECT_GT(decoded.failure().needed, n) << n;
    EXPECT_LE(decoded.failure().needed, wire.size()) << n;
  }
  for (uint32_t length : {kMaxFormatBlockBytes, kMaxFormatBlockBytes + 1, 0x80000000u}) {
    auto decoded = DecodeStreamFormatHeader(AudioRecordBytes(length));
    EXPECT_EQ(length <= 65536u, decoded.ok()) << length;
    if (!decoded)
      EXPECT_EQ(std::tuple(DecodeError::LengthTooLarge, length), std::tuple(decoded.error(), decoded.failure().value));
  }
}

}  // namespace
}  // namespace zm::protocol
