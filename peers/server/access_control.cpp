#include "peers/server/access_control.h"

#include <wolfssl/options.h>
#include <wolfssl/wolfcrypt/sha.h>

#include "protocol/name_markers.h"
#include "protocol/credential_digest.h"
#include "protocol/result_codes.h"

namespace zms {

std::string CredentialDigestText(std::string_view userName, std::string_view password) {
  const std::string input = std::string(userName) + std::string(password);
  wc_Sha sha;
  byte digest[WC_SHA_DIGEST_SIZE] = {};
  static_assert(WC_SHA_DIGEST_SIZE == zm::protocol::kCredentialDigestSize);
  if (wc_InitSha(&sha) != 0) return std::string();
  const bool hashed =
      wc_ShaUpdate(&sha, reinterpret_cast<const byte*>(input.data()), static_cast<word32>(input.size())) == 0 &&
      wc_ShaFinal(&sha, digest) == 0;
  wc_ShaFree(&sha);
  if (!hashed) return std::string();
  return zm::protocol::FormatCredentialDigest(digest).value_or(std::string());
}

std::string SessionIdText(std::string_view token) {
  const std::u16string hex = zm::protocol::SessionIdHex(token);
  return std::string(hex.begin(), hex.end());  // hex digits only: ASCII
}

AccessControl::AccessControl(const AccessOptions& options)
    : digest_(CredentialDigestText(options.userName, options.password)),
      sessionId_(SessionIdText(options.sessionToken)) {}

bool AccessControl::IsProtected(const MediaRequest& request) {
  return request.kind == ResourceKind::LiveAlias && request.name == kProtectedAlias;
}

uint32_t AccessControl::Check(const MediaRequest& request) const {
  if (!IsProtected(request)) return 0;
  if (!request.credentialHash.empty()) {
    return !digest_.empty() && request.credentialHash == digest_ ? 0 : zm::protocol::kResultCredentialsRefused;
  }
  if (!request.sessionId.empty() && request.sessionId == sessionId_) return 0;
  return zm::protocol::kResultCredentialsNeeded;
}

}  // namespace zms
