// The portable side of the credential file: the pieces the cipher runs in, and how the
// deciphered bytes become the users string or are judged damaged. Cipher and code page are Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "credentials/users_string.h"

namespace zm::credentials {

inline constexpr size_t kCipherPieceBytes = 1000;

// One call of the cipher: the keystream runs on from piece to piece; only the last is final.
struct CipherPiece {
  size_t offset;
  size_t length;
  bool final;
};

// The pieces of at most kCipherPieceBytes that cover `size` bytes in order (none for 0).
std::vector<CipherPiece> CipherPieces(size_t size);

enum class UsersFileState {
  Empty,    // no bytes: no records, nothing to keep
  Good,     // a sequence of well-formed records
  Damaged,  // not records: a damaged file, or one enciphered on another computer
};

struct UsersFileText {
  UsersFileState state = UsersFileState::Empty;
  std::u16string users;   // Good: the whole users string; otherwise empty
  std::u16string damage;  // Damaged: why, naming the offset when it can
};

// Widens the file's 8-bit text from the code page it was written in; empty when the bytes
// are not text in it.
using WidenFileText = std::u16string (*)(std::string_view bytes);

// Decodes a whole deciphered file. RC4 deciphers any bytes under any key, so a wrong key
// shows only here, as text that is not records.
UsersFileText DecodeUsersFile(std::span<const uint8_t> deciphered, WidenFileText widen);

}  // namespace zm::credentials
