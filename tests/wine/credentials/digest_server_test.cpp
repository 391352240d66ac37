// The control's digest against the reference server: a request for the protected alias carrying
// HashCredentials of a non-ASCII user and password opens it, so both sides hash the same UTF-8.
// Runs under scripts/with-zms-server, which starts zms-server with that user and sets ZMS_PORT.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "session/credential_hash.h"
#include "protocol/reply_codec.h"

namespace zm::credentials::test {
namespace {

// The user the server is started with (CMakeLists.txt passes "Jürgen:päss€" in UTF-8).
constexpr char16_t kUser[] = u"J\u00fcrgen";
constexpr char16_t kPassword[] = u"p\u00e4ss\u20ac";
constexpr char kProtected80[] = "/ZAMS80/0000live-alias:protected";
constexpr DWORD kReceiveTimeoutMs = 10000;

uint16_t ServerPort() {
  const char* port = std::getenv("ZMS_PORT");
  return port ? static_cast<uint16_t>(std::atoi(port)) : 0;
}

// The reply's result to `request`, read the way the control reads it; none when no reply came.
std::optional<uint32_t> ResultOf(const std::string& request) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return std::nullopt;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeoutMs), sizeof kReceiveTimeoutMs);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(ServerPort());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<uint8_t> bytes(zm::protocol::kReplyPrologueSize + zm::protocol::kReplyStatusSize);
  size_t got = 0;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size())) {
    while (got < bytes.size()) {
      const int n = recv(s, reinterpret_cast<char*>(bytes.data() + got), static_cast<int>(bytes.size() - got), 0);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  closesocket(s);
  if (got < bytes.size()) return std::nullopt;
  const std::span<const uint8_t> all(bytes);
  if (!zm::protocol::DecodeReplyPrologue(all.first(zm::protocol::kReplyPrologueSize)).ok()) return std::nullopt;
  auto status = zm::protocol::DecodeReplyStatus(all.subspan(zm::protocol::kReplyPrologueSize));
  if (!status.ok()) return std::nullopt;
  return status.value().result;
}

class DigestAgainstServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, ServerPort()) << "ZMS_PORT is not set: run under scripts/with-zms-server";
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa_));
  }
  void TearDown() override { WSACleanup(); }

  WSADATA wsa_{};
};

TEST_F(DigestAgainstServer, OnlyTheDigestOfTheRightPasswordOpensTheProtectedAlias) {
  const std::pair<const char16_t*, uint32_t> cases[] = {
      // the password (none: no digest), the result
      {kPassword, 0},               // a non-ASCII user and password, hashed as UTF-8 on both sides
      {u"p\u00e4ss", 0x8FFF0544u},  // refused, so the client asks again
      {nullptr, 0x8FFF0543u},       // the server asks for credentials
  };
  for (const auto& [password, result] : cases) {
    std::string request = kProtected80;
    if (password) request += "///HASH:" + session::HashCredentials(kUser, password).value_or("none");
    EXPECT_EQ(std::optional<uint32_t>(result), ResultOf(request)) << request;
  }
}

}  // namespace
}  // namespace zm::credentials::test
