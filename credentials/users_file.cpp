#include "credentials/users_file.h"

#include <algorithm>
#include <utility>

namespace zm::credentials {

std::vector<CipherPiece> CipherPieces(size_t size) {
  std::vector<CipherPiece> pieces;
  for (size_t offset = 0; offset < size;) {
    const size_t length = std::min(kCipherPieceBytes, size - offset);
    pieces.push_back({offset, length, offset + length == size});
    offset += length;
  }
  return pieces;
}

UsersFileText DecodeUsersFile(std::span<const uint8_t> deciphered, WidenFileText widen) {
  UsersFileText file;
  if (deciphered.empty()) return file;
  file.state = UsersFileState::Damaged;
  std::u16string users = widen(std::string_view(reinterpret_cast<const char*>(deciphered.data()), deciphered.size()));
  if (users.empty()) {
    file.damage = u"Damaged users string: not text in the ANSI code page";
    return file;
  }
  std::vector<UsersRecord> records;
  if (!ParseUsersString(users, records, file.damage)) return file;
  file.state = UsersFileState::Good;
  file.users = std::move(users);
  return file;
}

}  // namespace zm::credentials
