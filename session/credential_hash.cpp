#include "session/credential_hash.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <span>

#include "protocol/credential_digest.h"

namespace zm::session {

using namespace protocol;
namespace {

class CryptOwner {
 public:
  ~CryptOwner() {
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
  }
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
};

}  // namespace

std::optional<std::string> HashCredentials(std::u16string_view userName, std::u16string_view password) {
  std::string input = CredentialDigestInput(userName, password);
  CryptOwner crypt;
  std::uint8_t digest[kCredentialDigestSize] = {};
  DWORD size = sizeof digest;
  const bool hashed =
      CryptAcquireContextW(&crypt.provider, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(crypt.provider, CALG_SHA1, 0, 0, &crypt.hash) &&
      CryptHashData(crypt.hash, reinterpret_cast<const BYTE*>(input.data()), static_cast<DWORD>(input.size()), 0) &&
      CryptGetHashParam(crypt.hash, HP_HASHVAL, digest, &size, 0);
  SecureZeroMemory(input.data(), input.size());
  if (!hashed) return std::nullopt;
  return FormatCredentialDigest(std::span<const std::uint8_t>(digest, size));
}

}  // namespace zm::session
