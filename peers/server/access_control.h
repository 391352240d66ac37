// Who may open the protected live alias: a client that sends the credential digest of the
// server's user ("///HASH:") or its session id ("///SID:"). Pure; shared by every connection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "peers/server/media_request.h"

namespace zms {

inline constexpr char kProtectedAlias[] = "protected";
inline constexpr char kDefaultUserName[] = "viewer";
inline constexpr char kDefaultPassword[] = "s3cret";
inline constexpr char kDefaultSessionToken[] = "zms-session";

struct AccessOptions {
  std::string userName = kDefaultUserName;  // --user NAME:PASSWORD
  std::string password = kDefaultPassword;
  std::string sessionToken = kDefaultSessionToken;  // --session-id TOKEN
};

// SHA-1 of the UTF-8 user name immediately followed by the password, 40 lower-case hex digits:
// what a client sends after "///HASH:".
std::string CredentialDigestText(std::string_view userName, std::string_view password);

// What a client sends after "///SID:" for this token: each byte, taken as a signed 8-bit
// value, written with "%2.2x" (the token's bytes stand for the client's ANSI text).
std::string SessionIdText(std::string_view token);

class AccessControl {
 public:
  explicit AccessControl(const AccessOptions& options);

  static bool IsProtected(const MediaRequest& request);
  // 0 when the request may be served; otherwise the result code to refuse it with, one that
  // makes the client ask again: credentials needed when none came or the session id is wrong
  // (the client then tries its stored digest), refused when the digest is wrong (the client
  // also forgets the digest it had stored).
  uint32_t Check(const MediaRequest& request) const;

 private:
  std::string digest_;
  std::string sessionId_;
};

}  // namespace zms
