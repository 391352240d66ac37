#include "credentials/users_cipher.h"

#include <algorithm>

namespace zm::credentials {
namespace {

constexpr DWORD kPieceBytes = 1000;
constexpr DWORD kCipherBufferBytes = 1008;
constexpr DWORD kAcquireFlags = CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET | CRYPT_SILENT;  // 0xF0000060
constexpr DWORD kPassphraseLength = 24;

// The passphrase is assembled character by character at run time, so that it does not sit
// in the binary as one readable string.
void BuildPassphrase(char (&out)[kPassphraseLength + 1]) {
  static constexpr unsigned char kMasked[kPassphraseLength] = {
      0x00, 0x3B, 0x2C, 0x28, 0x3F, 0x34, 0x19, 0x36, 0x33, 0x3F, 0x34, 0x2E,
      0x0F, 0x29, 0x3F, 0x28, 0x29, 0x11, 0x3F, 0x23, 0x68, 0x6A, 0x6A, 0x6D};
  for (DWORD i = 0; i < kPassphraseLength; ++i) out[i] = static_cast<char>(kMasked[i] ^ 0x5A);
  out[kPassphraseLength] = '\0';
}

class HashOwner {
 public:
  ~HashOwner() {
    if (hash) CryptDestroyHash(hash);
  }
  HCRYPTHASH hash = 0;
};

}  // namespace

std::string CUsersCipher::LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameA(name, &size)) return std::string();
  return std::string(name, size);
}

CUsersCipher::CUsersCipher(std::string_view computerName) {
  if (!CryptAcquireContextW(&provider_, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, kAcquireFlags)) {
    const DWORD error = GetLastError();
    if (error != static_cast<DWORD>(NTE_BAD_KEYSET) && error != static_cast<DWORD>(NTE_KEYSET_NOT_DEF)) return;
    if (!CryptAcquireContextW(&provider_, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, kAcquireFlags | CRYPT_NEWKEYSET)) {
      provider_ = 0;
      return;
    }
  }
  char passphrase[kPassphraseLength + 1];
  BuildPassphrase(passphrase);
  std::string password(computerName);
  password.append(passphrase, kPassphraseLength);
  SecureZeroMemory(passphrase, sizeof passphrase);

  HashOwner md5;
  const bool derived =
      CryptCreateHash(provider_, CALG_MD5, 0, 0, &md5.hash) &&
      CryptHashData(md5.hash, reinterpret_cast<const BYTE*>(password.data()), static_cast<DWORD>(password.size()), 0) &&
      CryptDeriveKey(provider_, CALG_RC4, md5.hash, CRYPT_EXPORTABLE, &key_);
  SecureZeroMemory(password.data(), password.size());
  if (!derived) key_ = 0;
}

CUsersCipher::~CUsersCipher() {
  if (key_) CryptDestroyKey(key_);
  if (provider_) CryptReleaseContext(provider_, 0);
}

bool CUsersCipher::Encipher(std::vector<BYTE>& bytes) const {
  if (!key_) return false;
  BYTE buffer[kCipherBufferBytes];
  for (size_t done = 0; done < bytes.size();) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(kPieceBytes, bytes.size() - done));
    const BOOL final = done + piece == bytes.size();
    std::copy_n(bytes.data() + done, piece, buffer);
    DWORD length = piece;
    if (!CryptEncrypt(key_, 0, final, 0, buffer, &length, kCipherBufferBytes) || length != piece) return false;
    std::copy_n(buffer, piece, bytes.data() + done);
    done += piece;
  }
  return true;
}

bool CUsersCipher::Decipher(std::vector<BYTE>& bytes) const {
  if (!key_) return false;
  for (size_t done = 0; done < bytes.size();) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(kPieceBytes, bytes.size() - done));
    const BOOL final = done + piece == bytes.size();
    DWORD length = piece;
    if (!CryptDecrypt(key_, 0, final, 0, bytes.data() + done, &length) || length != piece) return false;
    done += piece;
  }
  return true;
}

}  // namespace zm::credentials
