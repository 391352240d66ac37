#include "credentials/users_cipher.h"

#include <algorithm>

#include "credentials/users_file.h"

namespace zm::credentials {
namespace {

constexpr DWORD kCipherBufferBytes = 1008;
static_assert(kCipherPieceBytes <= kCipherBufferBytes);
constexpr DWORD kAcquireFlags = CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET | CRYPT_SILENT;  // 0xF0000060
constexpr DWORD kPassphraseLength = 24;

// The passphrase is assembled character by character at run time, so that it does not sit
// in the binary as one readable string.
void BuildPassphrase(char (&out)[kPassphraseLength + 1]) {
  static constexpr unsigned char kMasked[kPassphraseLength] = {0x00, 0x3B, 0x2C, 0x28, 0x3F, 0x34, 0x19, 0x36,
                                                               0x33, 0x3F, 0x34, 0x2E, 0x0F, 0x29, 0x3F, 0x28,
                                                               0x29, 0x11, 0x3F, 0x23, 0x68, 0x6A, 0x6A, 0x6D};
  for (DWORD i = 0; i < kPassphraseLength; ++i) out[i] = static_cast<char>(kMasked[i] ^ 0x5A);
  out[kPassphraseLength] = '\0';
}

bool AcquireProvider(UniqueCryptProvider& provider) {
  if (CryptAcquireContextW(provider.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, kAcquireFlags)) return true;
  const DWORD error = GetLastError();
  if (error != static_cast<DWORD>(NTE_BAD_KEYSET) && error != static_cast<DWORD>(NTE_KEYSET_NOT_DEF)) return false;
  return CryptAcquireContextW(provider.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, kAcquireFlags | CRYPT_NEWKEYSET);
}

}  // namespace

std::string CUsersCipher::LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameA(name, &size)) return std::string();
  return std::string(name, size);
}

std::optional<CUsersCipher> CUsersCipher::Create(std::string_view computerName) {
  CUsersCipher cipher;
  if (!AcquireProvider(cipher.provider_)) return std::nullopt;
  char passphrase[kPassphraseLength + 1];
  BuildPassphrase(passphrase);
  std::string password(computerName);
  password.append(passphrase, kPassphraseLength);
  SecureZeroMemory(passphrase, sizeof passphrase);

  UniqueCryptHash md5;
  const bool derived = CryptCreateHash(cipher.provider_.get(), CALG_MD5, 0, 0, md5.put()) &&
                       CryptHashData(md5.get(), reinterpret_cast<const BYTE*>(password.data()),
                                     static_cast<DWORD>(password.size()), 0) &&
                       CryptDeriveKey(cipher.provider_.get(), CALG_RC4, md5.get(), CRYPT_EXPORTABLE, cipher.key_.put());
  SecureZeroMemory(password.data(), password.size());
  if (!derived) return std::nullopt;
  return cipher;
}

bool CUsersCipher::Encipher(std::vector<BYTE>& bytes) const {
  BYTE buffer[kCipherBufferBytes];
  for (const CipherPiece& piece : CipherPieces(bytes.size())) {
    std::copy_n(bytes.data() + piece.offset, piece.length, buffer);
    DWORD length = static_cast<DWORD>(piece.length);
    if (!CryptEncrypt(key_.get(), 0, piece.final, 0, buffer, &length, kCipherBufferBytes) || length != piece.length) {
      return false;
    }
    std::copy_n(buffer, piece.length, bytes.data() + piece.offset);
  }
  return true;
}

bool CUsersCipher::Decipher(std::vector<BYTE>& bytes) const {
  for (const CipherPiece& piece : CipherPieces(bytes.size())) {
    DWORD length = static_cast<DWORD>(piece.length);
    if (!CryptDecrypt(key_.get(), 0, piece.final, 0, bytes.data() + piece.offset, &length) || length != piece.length) {
      return false;
    }
  }
  return true;
}

}  // namespace zm::credentials
