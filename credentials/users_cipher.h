// The cipher of the credential cache file: RC4 keyed by the MD5 of the computer's ANSI name
// and our passphrase, through CryptoAPI. Used by CUsers on whichever thread runs it.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <string_view>
#include <vector>

namespace zm::credentials {

class CUsersCipher {
 public:
  // Acquires the provider and derives the key; check ok() before use.
  explicit CUsersCipher(std::string_view computerName);
  ~CUsersCipher();
  CUsersCipher(const CUsersCipher&) = delete;
  CUsersCipher& operator=(const CUsersCipher&) = delete;

  bool ok() const { return key_ != 0; }
  // Both work in place, in pieces of at most 1000 bytes, the last one final; the length
  // does not change (RC4 is a stream cipher).
  bool Encipher(std::vector<BYTE>& bytes) const;
  bool Decipher(std::vector<BYTE>& bytes) const;

  // The computer's ANSI name as GetComputerNameA gives it (empty when it fails).
  static std::string LocalComputerName();

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTKEY key_ = 0;
};

}  // namespace zm::credentials
