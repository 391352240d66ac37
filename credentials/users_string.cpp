#include "credentials/users_string.h"

#include <string>
#include <utility>

namespace zm::credentials {

namespace {

constexpr std::u16string_view kKeyRefused = u"Invalid user key: it contains a record separator character";
constexpr std::u16string_view kValueRefused = u"Invalid user value: it contains a record separator character";
constexpr std::u16string_view kUserNotFound = u"User not found";

bool HasSeparator(std::u16string_view text) {
  return text.find_first_of(std::u16string_view(u"\u0006\u0007")) != std::u16string_view::npos;
}

bool CheckKey(std::u16string_view key, std::u16string& error) {
  if (!HasSeparator(key)) return true;
  error = kKeyRefused;
  return false;
}

bool CheckValue(std::u16string_view value, std::u16string& error) {
  if (!HasSeparator(value)) return true;
  error = kValueRefused;
  return false;
}

std::u16string SearchText(std::u16string_view key) {
  std::u16string search(key);
  search.push_back(kKeyEnd);
  return search;
}

// The first occurrence of "key U+0006" that begins a record: at the very start, or right
// after a U+0007. An occurrence anywhere else is the tail of a longer key, or inside a value.
size_t FindRecordStart(std::u16string_view users, std::u16string_view search) {
  size_t from = 0;
  for (;;) {
    size_t pos = users.find(search, from);
    if (pos == std::u16string_view::npos || pos == 0 || users[pos - 1] == kRecordEnd) return pos;
    from = pos + 1;
  }
}

std::u16string ParseError(size_t offset, std::u16string_view what) {
  std::string digits = std::to_string(offset);
  std::u16string error = u"Damaged users string at offset ";
  error.append(digits.begin(), digits.end());
  error += u": ";
  error += what;
  return error;
}

}  // namespace

bool FindUserValue(std::u16string_view users, std::u16string_view key, std::u16string& value, std::u16string& error) {
  if (!CheckKey(key, error)) return false;
  std::u16string search = SearchText(key);
  size_t start = FindRecordStart(users, search);
  if (start == std::u16string_view::npos) return false;
  size_t valueStart = start + search.size();
  size_t end = users.find(kRecordEnd, valueStart);
  if (end == std::u16string_view::npos) return false;
  value.assign(users.substr(valueStart, end - valueStart));
  return true;
}

bool SaveUserValue(std::u16string& users, std::u16string_view key, std::u16string_view value, std::u16string& error) {
  if (!CheckKey(key, error) || !CheckValue(value, error)) return false;
  std::u16string search = SearchText(key);
  size_t start = FindRecordStart(users, search);
  if (start != std::u16string::npos) {
    size_t valueStart = start + search.size();
    size_t end = users.find(kRecordEnd, valueStart);
    if (end != std::u16string::npos) {
      users.replace(valueStart, end - valueStart, value);
      return true;
    }
  }
  users += search;
  users += value;
  users.push_back(kRecordEnd);
  return true;
}

bool RemoveUserValue(std::u16string& users, std::u16string_view key, std::u16string& error) {
  if (!CheckKey(key, error)) return false;
  std::u16string search = SearchText(key);
  size_t start = FindRecordStart(users, search);
  size_t end = start == std::u16string::npos ? start : users.find(kRecordEnd, start);
  if (end == std::u16string::npos) {
    error = kUserNotFound;
    return false;
  }
  users.erase(start, end - start + 1);
  return true;
}

bool ParseUsersString(std::u16string_view users, std::vector<UsersRecord>& records, std::u16string& error) {
  std::vector<UsersRecord> parsed;
  size_t pos = 0;
  while (pos < users.size()) {
    size_t keyEnd = users.find_first_of(std::u16string_view(u"\u0006\u0007"), pos);
    if (keyEnd == std::u16string_view::npos) {
      error = ParseError(pos, u"record without an end");
      return false;
    }
    if (users[keyEnd] == kRecordEnd) {
      error = ParseError(keyEnd, u"record without a key separator");
      return false;
    }
    size_t recordEnd = users.find_first_of(std::u16string_view(u"\u0006\u0007"), keyEnd + 1);
    if (recordEnd == std::u16string_view::npos) {
      error = ParseError(pos, u"record without an end");
      return false;
    }
    if (users[recordEnd] == kKeyEnd) {
      error = ParseError(recordEnd, u"second key separator in a record");
      return false;
    }
    parsed.push_back({std::u16string(users.substr(pos, keyEnd - pos)),
                      std::u16string(users.substr(keyEnd + 1, recordEnd - keyEnd - 1))});
    pos = recordEnd + 1;
  }
  records = std::move(parsed);
  return true;
}

}  // namespace zm::credentials
