#include "session/credential_hash.h"

#include <cstdint>
#include <span>

#include "credentials/crypt_owners.h"
#include "protocol/credential_digest.h"

namespace zm::session {

using namespace protocol;

std::optional<std::string> HashCredentials(std::u16string_view userName, std::u16string_view password) {
  std::string input = CredentialDigestInput(userName, password);
  credentials::UniqueCryptProvider provider;
  credentials::UniqueCryptHash hash;
  std::uint8_t digest[kCredentialDigestSize] = {};
  DWORD size = sizeof digest;
  const bool hashed =
      CryptAcquireContextW(provider.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(provider.get(), CALG_SHA1, 0, 0, hash.put()) &&
      CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(input.data()), static_cast<DWORD>(input.size()), 0) &&
      CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0);
  SecureZeroMemory(input.data(), input.size());
  if (!hashed) return std::nullopt;
  return FormatCredentialDigest(std::span<const std::uint8_t>(digest, size));
}

}  // namespace zm::session
