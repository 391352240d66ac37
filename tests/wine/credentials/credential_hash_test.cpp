// The credential digest through CryptoAPI, against SHA-1 values computed independently when
// this test was written: python3 -c "import hashlib; print(hashlib.sha1((u+p).encode('utf-8')).hexdigest())"
// and against the reference server, started (CMakeLists.txt) with a user whose name and password
// are not ASCII: both sides must hash the same UTF-8.
#include "session/credential_hash.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "transport/tcp_source.h"

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

// The reply's result to `request` for the protected alias, as the transport reads it.
uint32_t ServerResult(const std::string& request) {
  const char* port = std::getenv("ZMS_PORT");
  transport::CZTcpMediaFramesSource source(static_cast<uint16_t>(port ? std::atoi(port) : 0));
  source.SetHost("127.0.0.1");
  source.SetRequest(request, 80);
  transport::StreamFormatRecordPair formats;
  protocol::ReplyStatus status;
  status.result = 0xFFFFFFFF;
  std::wstring error;
  if (source.Connect(error)) source.ReadServerReply(formats.records, status, error, TRUE);
  source.Disconnect(error);
  return status.result;
}

TEST(CredentialHash, OnlyTheDigestOfTheRightPasswordOpensTheServersProtectedAlias) {
  const std::pair<const char16_t*, uint32_t> cases[] = {
      {u"p\u00e4ss\u20ac", 0},      // CMakeLists.txt passes "Jürgen:päss€" in UTF-8
      {u"p\u00e4ss", 0x8FFF0544u},  // refused, so the client asks again
      {nullptr, 0x8FFF0543u},       // no digest: the server asks for credentials
  };
  for (const auto& [password, result] : cases) {
    std::string request = "/ZAMS80/0000live-alias:protected";
    if (password) request += "///HASH:" + HashCredentials(u"J\u00fcrgen", password).value_or("none");
    EXPECT_EQ(result, ServerResult(request)) << request;
  }
}

}  // namespace
}  // namespace zm::session
