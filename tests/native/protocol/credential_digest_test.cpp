// The credential digest texts: the exact bytes hashed and the 40-digit lower-case form,
// checked end to end against published SHA-1 vectors with a test-only hash.
#include "protocol/credential_digest.h"

#include <gtest/gtest.h>

#include <vector>

#include "sha1_for_tests.h"

namespace zm::protocol {
namespace {

using testing_support::Sha1;

std::string DigestText(std::u16string_view user, std::u16string_view password) {
  auto digest = Sha1(CredentialDigestInput(user, password));
  std::optional<std::string> hex = FormatCredentialDigest(digest);
  EXPECT_TRUE(hex.has_value());
  return hex.value_or("");
}

TEST(CredentialDigestInput, IsTheUserNameImmediatelyFollowedByThePassword) {
  EXPECT_EQ(CredentialDigestInput(u"alice", u"s3cret"), "alices3cret");
  EXPECT_EQ(CredentialDigestInput(u"", u""), "");
}

TEST(CredentialDigestInput, IsUtf8NotTheAnsiCodePage) {
  EXPECT_EQ(CredentialDigestInput(u"J\u00fcrgen", u"\u20ac1"), "J\xC3\xBCrgen\xE2\x82\xAC" "1");
}

TEST(CredentialDigestInput, AnUnpairedSurrogateBecomesTheReplacementCharacter) {
  EXPECT_EQ(CredentialDigestInput(u"a\xD800", u"b"), "a\xEF\xBF\xBD" "b");
}

TEST(CredentialDigestFormat, WritesTwoLowerCaseDigitsPerByte) {
  std::vector<std::uint8_t> digest(20);
  for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<std::uint8_t>(i * 13 + 0x0A);
  std::optional<std::string> hex = FormatCredentialDigest(digest);
  ASSERT_TRUE(hex.has_value());
  EXPECT_EQ(*hex, "0a1724313e4b5865727f8c99a6b3c0cddae7f401");
}

TEST(CredentialDigestFormat, KeepsLeadingZerosAndHighBytes) {
  std::vector<std::uint8_t> digest(20, 0x00);
  digest[19] = 0xFF;
  EXPECT_EQ(FormatCredentialDigest(digest).value_or(""), std::string(38, '0') + "ff");
}

TEST(CredentialDigestFormat, RefusesADigestThatIsNotTwentyBytes) {
  for (size_t size : {0u, 16u, 19u, 21u, 32u}) {
    std::vector<std::uint8_t> digest(size, 0xAB);
    EXPECT_FALSE(FormatCredentialDigest(digest).has_value()) << size << " bytes";
  }
}

TEST(CredentialDigestEndToEnd, MatchesPublishedSha1Vectors) {
  EXPECT_EQ(DigestText(u"", u""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(DigestText(u"ab", u"c"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(DigestText(u"abcdbcdecdefdefgefghfghighijhijk", u"ijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(CredentialDigestEndToEnd, HashesTheJoinedTextCaseSensitively) {
  // The hash sees only the joined text, so this is a property of the format, stated here so
  // nobody mistakes the digest for one that separates the two.
  EXPECT_EQ(DigestText(u"ab", u"c"), DigestText(u"a", u"bc"));
  EXPECT_NE(DigestText(u"alice", u"pw"), DigestText(u"Alice", u"pw"));
}

}  // namespace
}  // namespace zm::protocol
