// The multicast group a server names before its reply: the bytes a server writes, and what a
// client must refuse to take for a group.
#include "protocol/multicast_group.h"

#include <gtest/gtest.h>

#include <string>

#include "wire_bytes.h"

namespace zm::protocol {
namespace {

using test::Bytes;

Bytes GroupInfo(const std::string& text, uint16_t port) {
  Bytes out(text.begin(), text.end());
  out.resize(kMulticastGroupTextBytes, 0);
  test::PutLE(out, port, 2);
  return out;
}

TEST(MulticastGroupInfo, IsZeroPaddedDottedTextThenTheLittleEndianPortAndPortZeroNamesNoGroup) {
  const auto encoded = EncodeMulticastGroupInfo({{239, 255, 90, 1}, 0x1234});
  EXPECT_EQ(GroupInfo("239.255.90.1", 0x1234), Bytes(encoded.begin(), encoded.end()));
  auto decoded = DecodeMulticastGroupInfo(GroupInfo("224.0.0.251", 5004));
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ((MulticastGroup{{224, 0, 0, 251}, 5004}), decoded.value());
  EXPECT_EQ(kMulticastGroupInfoBytes, decoded.consumed());
  auto none = DecodeMulticastGroupInfo(GroupInfo("not read at all!", 0));
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(0, none.value().port);
}

TEST(MulticastGroupInfo, ATextThatIsNotAMulticastAddressIsRefused) {
  for (const std::string text : {"", "239.1.2", "239.1.2.3.4", "239.1.2.256", "239.01.2.3", "0xef.1.2.3", " 239.1.2.3",
                                 "239.1.2.3 ", "127.0.0.1", "240.0.0.1", "223.255.255.255"}) {
    EXPECT_EQ(DecodeError::Malformed, DecodeMulticastGroupInfo(GroupInfo(text, 5004)).error()) << text;
  }
  // Sixteen digits and dots with no zero byte: the text is not read past its field.
  Bytes unterminated = GroupInfo("239.255.255.2555", 5004);
  EXPECT_EQ(DecodeError::Malformed, DecodeMulticastGroupInfo(unterminated).error());
  unterminated.pop_back();
  EXPECT_EQ(DecodeError::Truncated, DecodeMulticastGroupInfo(unterminated).error());
}

}  // namespace
}  // namespace zm::protocol
