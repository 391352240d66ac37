// Fuzzes the decoding of a deciphered credential file, as CUsers runs it: the cipher's pieces,
// the widened text, the records and the damaged verdict; then a save into what was decoded
// (nothing, for a damaged file) must write a file that decodes as good and holds the value.
// The RC4 step itself is CryptoAPI and runs only under Wine.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "credentials/users_file.h"
#include "credentials/users_string.h"
#include "fuzz_check.h"

using namespace zm::credentials;
using zm::fuzz::Check;

namespace {

// Code page 1252 widens every byte to one character, as this does for the bytes below 0x80.
std::u16string Latin1(std::string_view bytes) {
  std::u16string text;
  for (unsigned char c : bytes) text.push_back(c);
  return text;
}

// The same code page the other way, for the characters Latin1 makes.
std::string ToLatin1(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) bytes.push_back(static_cast<char>(c));
  return bytes;
}

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

void CheckPieces(size_t size) {
  size_t covered = 0;
  const std::vector<CipherPiece> pieces = CipherPieces(size);
  for (size_t i = 0; i < pieces.size(); ++i) {
    Check(pieces[i].offset == covered && pieces[i].length > 0 && pieces[i].length <= kCipherPieceBytes);
    Check(pieces[i].final == (i + 1 == pieces.size()));
    covered += pieces[i].length;
  }
  Check(covered == size);
}

}  // namespace

// Input: one byte key length, one byte value length, the key, the value, then the file's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t keyLength = std::min<size_t>(data[0] % 64, input.size());
  const size_t valueLength = std::min<size_t>(data[1] % 64, input.size() - keyLength);
  const std::u16string key = Latin1(std::string_view(input).substr(0, keyLength));
  const std::u16string value = Latin1(std::string_view(input).substr(keyLength, valueLength));
  const std::string file = input.substr(keyLength + valueLength);

  CheckPieces(file.size());
  const UsersFileText decoded = DecodeUsersFile(Bytes(file), Latin1);
  Check((decoded.state == UsersFileState::Empty) == file.empty());
  std::vector<UsersRecord> records;
  std::u16string error;
  if (decoded.state == UsersFileState::Good) {
    Check(decoded.users == Latin1(file) && decoded.damage.empty());
  } else {
    Check(decoded.users.empty());
    Check((decoded.state == UsersFileState::Damaged) == !decoded.damage.empty());
    Check(decoded.state == UsersFileState::Empty || !ParseUsersString(Latin1(file), records, error));
  }

  std::u16string users = decoded.users;
  if (SaveUserValue(users, key, value, error)) {
    const UsersFileText saved = DecodeUsersFile(Bytes(ToLatin1(users)), Latin1);
    std::u16string found;
    Check(saved.state == UsersFileState::Good && FindUserValue(saved.users, key, found, error) && found == value);
  }
  return 0;
}
