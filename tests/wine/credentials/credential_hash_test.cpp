// The credential digest through CryptoAPI, against SHA-1 values computed independently when
// this test was written: python3 -c "import hashlib; print(hashlib.sha1((u+p).encode('utf-8')).hexdigest())"
#include "session/credential_hash.h"

#include <gtest/gtest.h>

namespace zm::session {
namespace {

TEST(CredentialHash, NameAndPasswordAreHashedAsUtf8IntoLowerCaseHex) {
  const struct {
    std::u16string user, password;
    const char* digest;
  } cases[] = {
      {u"viewer", u"s3cret", "daf19fe9c9a9b55e298f9c8425e0d927b7860f9e"},
      {u"", u"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      // U+1F511 is a surrogate pair in UTF-16, four bytes in UTF-8.
      {u"J\u00fcrgen", u"p\u00e4ss\u20ac\U0001F511", "78e7d98de9002c87f20d4f0f5906b6fb8d515c5e"},
      // Cyrillic, which no Western ANSI code page holds.
      {u"\u0430\u043b\u0438\u0441\u0430", u"\u043f\u0430\u0440\u043e\u043b\u044c",
       "f2591429e6207ac5d13c2ba1dda422092bce9439"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.digest, HashCredentials(c.user, c.password).value_or(""));
}

}  // namespace
}  // namespace zm::session
