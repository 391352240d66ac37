// The cipher of the credential cache file: RC4 keyed by the MD5 of the computer's ANSI name
// and our passphrase, through CryptoAPI. Used by CUsers on whichever thread runs it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "credentials/crypt_owners.h"

namespace zm::credentials {

class CUsersCipher {
 public:
  // The provider and the key of `computerName`; none when CryptoAPI refuses either.
  static std::optional<CUsersCipher> Create(std::string_view computerName);

  // Both work in place, in the pieces of CipherPieces; the length does not change (RC4 is a
  // stream cipher). False when CryptoAPI fails.
  bool Encipher(std::vector<BYTE>& bytes) const;
  bool Decipher(std::vector<BYTE>& bytes) const;

  // The computer's ANSI name as GetComputerNameA gives it (empty when it fails).
  static std::string LocalComputerName();

 private:
  CUsersCipher() = default;

  UniqueCryptProvider provider_;
  UniqueCryptKey key_;  // declared after the provider: destroyed before it is released
};

}  // namespace zm::credentials
