// Fuzzes the users-string operations with arbitrary (often damaged) strings, keys and values,
// and checks that well-formed strings stay well-formed and hold what was saved.
#include <cstdint>
#include <string>
#include <vector>

#include "credentials/users_string.h"
#include "fuzz_check.h"

using namespace zm::credentials;
using zm::fuzz::Check;

namespace {

// Input layout: one byte key length, one byte value length (in UTF-16 units, little endian),
// then the key, the value and the users string.
std::u16string TakeUnits(const uint8_t*& data, size_t& size, size_t units) {
  std::u16string text;
  while (units-- > 0 && size >= 2) {
    text.push_back(static_cast<char16_t>(data[0] | (data[1] << 8)));
    data += 2;
    size -= 2;
  }
  return text;
}

bool HasSeparator(const std::u16string& text) { return text.find_first_of(u"\u0006\u0007") != std::u16string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t keyUnits = data[0] % 32, valueUnits = data[1] % 64;
  data += 2;
  size -= 2;
  const std::u16string key = TakeUnits(data, size, keyUnits);
  const std::u16string value = TakeUnits(data, size, valueUnits);
  const std::u16string users = TakeUnits(data, size, size / 2);
  const bool keyRefused = HasSeparator(key);

  std::u16string found, error;
  bool hasKey = FindUserValue(users, key, found, error);
  Check(!keyRefused || (!hasKey && !error.empty()));

  std::vector<UsersRecord> records;
  const bool wellFormed = ParseUsersString(users, records, error);
  if (wellFormed) {
    std::u16string joined;  // the records, written back out, are the string they came from
    for (const UsersRecord& record : records) {
      Check(!HasSeparator(record.key) && !HasSeparator(record.value));
      joined += record.key + kKeyEnd + record.value + kRecordEnd;
    }
    Check(joined == users);
  }

  std::u16string saved = users;
  if (SaveUserValue(saved, key, value, error)) {
    Check(!keyRefused && !HasSeparator(value));
    if (wellFormed) {
      std::vector<UsersRecord> after;
      Check(ParseUsersString(saved, after, error));
      Check(after.size() == records.size() + (hasKey ? 0 : 1));
      Check(FindUserValue(saved, key, found, error) && found == value);
    }
  } else {
    Check(saved == users);
  }

  std::u16string removed = users;
  if (RemoveUserValue(removed, key, error)) {
    Check(!keyRefused && removed.size() < users.size());
    if (wellFormed) {
      std::vector<UsersRecord> after;
      Check(ParseUsersString(removed, after, error) && after.size() + 1 == records.size());
    }
  } else {
    Check(removed == users);
  }
  return 0;
}
