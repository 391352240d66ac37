// The users string of the credential cache: records "key U+0006 value U+0007", one per
// media server, in the order they were added. Pure text work; the file, mutex and cipher are Win32.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zm::credentials {

inline constexpr char16_t kKeyEnd = u'\u0006';     // ends the key of a record
inline constexpr char16_t kRecordEnd = u'\u0007';  // ends the value, and so the record

struct UsersRecord {
  std::u16string key;
  std::u16string value;
};

// Keys are compared as given: the store lower-cases them (CharLowerW) before calling here.
// A key or value that carries a separator is refused with an error text and the string is
// left untouched: such a key would split a record, or match inside another server's record.

// Fills `value` with the value of the key's record and returns true; returns false when there
// is no such record (error stays empty) or the key is refused (error says why).
bool FindUserValue(std::u16string_view users, std::u16string_view key, std::u16string& value, std::u16string& error);

// Replaces the value of the key's record in place, or appends a record when there is none.
bool SaveUserValue(std::u16string& users, std::u16string_view key, std::u16string_view value, std::u16string& error);

// Deletes the key's record; "User not found" when there is none.
bool RemoveUserValue(std::u16string& users, std::u16string_view key, std::u16string& error);

// Splits a whole users string into its records. Fails, naming the offset, when the text is not
// a sequence of well-formed records (a deciphered file from another computer usually is not).
bool ParseUsersString(std::u16string_view users, std::vector<UsersRecord>& records, std::u16string& error);

}  // namespace zm::credentials
