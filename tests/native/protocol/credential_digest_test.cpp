// The credential digest texts: the exact bytes hashed and the 40-digit lower-case form. The
// hash itself is the platform's (CryptoAPI in the control, wolfSSL in the server), checked
// against known digests where each runs.
#include "protocol/credential_digest.h"

#include <gtest/gtest.h>

#include <vector>

namespace zm::protocol {
namespace {

TEST(CredentialDigestTest, InputIsTheUtf8UserNameImmediatelyFollowedByThePassword) {
  EXPECT_EQ(CredentialDigestInput(u"alice", u"s3cret"), "alices3cret");
  EXPECT_EQ(CredentialDigestInput(u"", u""), "");
  EXPECT_EQ(CredentialDigestInput(u"J\u00fcrgen", u"\u20ac1"), std::string("J\xC3\xBCrgen\xE2\x82\xAC") + "1");
  // An unpaired surrogate becomes the replacement character.
  EXPECT_EQ(CredentialDigestInput(u"a\xD800", u"b"), std::string("a\xEF\xBF\xBD") + "b");
}

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
