#include "protocol/string_codec.h"

#include <gtest/gtest.h>

#include "protocol/wire_limits.h"
#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;
using test::PutLE;

TEST(WireStringEncoding, LengthPrefixThenBytesWithoutTerminator) {
  Bytes out;
  AppendWireString(
      "Gr\xC3\xBC\xC3\x9F"
      "e",
      out);
  EXPECT_EQ(Bytes({7, 0, 0, 0, 'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e'}), out);
}

TEST(WireStringDecoding, BytesReadBackWithZerosAndNothingAfterThem) {
  for (const std::string& text : {std::string(), std::string("a\0b\xFF", 4)}) {
    Bytes wire;
    AppendWireString(text, wire);
    wire.push_back(0x55);
    auto decoded = DecodeWireString(wire);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(text, decoded.value());
    EXPECT_EQ(4 + text.size(), decoded.consumed());
  }
}

TEST(WireStringDecoding, TruncatedInputFailsAtEveryLengthAndTheLengthIsBoundedAtOneMebibyteBeforeTheBytes) {
  Bytes wire;
  AppendWireString("hello", wire);
  for (size_t n = 0; n < wire.size(); ++n) {
    auto decoded = DecodeWireString(std::span<const uint8_t>(wire.data(), n));
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
  }
  for (uint32_t length : {kMaxWireStringBytes, kMaxWireStringBytes + 1}) {
    Bytes prefix;
    PutLE(prefix, length, 4);
    auto decoded = DecodeWireStringLength(prefix);
    EXPECT_EQ(length <= 1024u * 1024, decoded.ok()) << length;
    const DecodeError whole = DecodeWireString(prefix).error();
    EXPECT_EQ(decoded.ok() ? DecodeError::Truncated : DecodeError::LengthTooLarge, whole) << length;
  }
}

}  // namespace
}  // namespace zm::protocol
