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
  AppendWireString("Gr\xC3\xBC\xC3\x9F" "e", out);
  EXPECT_EQ(Bytes({7, 0, 0, 0, 'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e'}), out);
}

TEST(WireStringDecoding, RoundTripKeepsBytesIncludingZeros) {
  const std::string text("a\0b\xFF", 4);
  Bytes wire;
  AppendWireString(text, wire);
  wire.push_back(0x55);  // what follows is not consumed
  auto decoded = DecodeWireString(wire);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(text, decoded.value());
  EXPECT_EQ(8u, decoded.consumed());
}

TEST(WireStringDecoding, EmptyStringIsFourBytes) {
  auto decoded = DecodeWireString(Bytes{0, 0, 0, 0});
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ("", decoded.value());
  EXPECT_EQ(4u, decoded.consumed());
}

TEST(WireStringDecoding, TruncatedInputFailsAtEveryLength) {
  Bytes wire;
  AppendWireString("hello", wire);
  for (size_t n = 0; n < wire.size(); ++n) {
    auto decoded = DecodeWireString(std::span<const uint8_t>(wire.data(), n));
    ASSERT_FALSE(decoded.ok()) << n;
    EXPECT_EQ(DecodeError::Truncated, decoded.error()) << n;
  }
}

TEST(WireStringDecoding, LengthAboveOneMebibyteIsRejectedBeforeTheBytes) {
  Bytes wire;
  PutLE(wire, kMaxWireStringBytes + 1, 4);
  auto length = DecodeWireStringLength(wire);
  ASSERT_FALSE(length.ok());
  EXPECT_EQ(DecodeError::LengthTooLarge, length.error());
  auto whole = DecodeWireString(wire);
  EXPECT_EQ(DecodeError::LengthTooLarge, whole.error());
}

TEST(WireStringDecoding, LengthOfExactlyOneMebibyteIsAccepted) {
  Bytes wire;
  PutLE(wire, 1024 * 1024, 4);
  auto length = DecodeWireStringLength(wire);
  ASSERT_TRUE(length.ok());
  EXPECT_EQ(1024u * 1024, length.value());
}

}  // namespace
}  // namespace zm::protocol
