// The credential digest's 40-digit lower-case form. What is hashed (the UTF-8 user name, then
// the password) is proven against independently computed digests, and against the server, by
// the Wine CredentialHash tests.
#include "protocol/credential_digest.h"

#include <gtest/gtest.h>

#include <vector>

namespace zm::protocol {
namespace {

TEST(CredentialDigestTest, TextIsTwoLowerCaseDigitsPerByteOfExactlyTwentyBytes) {
  std::vector<std::uint8_t> digest(20);
  for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<std::uint8_t>(i * 13 + 0x0A);
  EXPECT_EQ(FormatCredentialDigest(digest).value_or(""), "0a1724313e4b5865727f8c99a6b3c0cddae7f401");
  std::vector<std::uint8_t> edges(20, 0x00);
  edges[19] = 0xFF;
  EXPECT_EQ(FormatCredentialDigest(edges).value_or(""), std::string(38, '0') + "ff");
  for (size_t size : {0u, 16u, 19u, 21u, 32u})
    EXPECT_FALSE(FormatCredentialDigest(std::vector<std::uint8_t>(size, 0xAB)).has_value()) << size << " bytes";
}

}  // namespace
}  // namespace zm::protocol
