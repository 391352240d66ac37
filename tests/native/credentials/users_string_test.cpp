// The users string and the portable decoding of the credential file. Every expected string is
// written out by hand, so the tests do not trust the code they check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "credentials/users_file.h"
#include "credentials/users_string.h"

namespace zm::credentials {
namespace {

const std::u16string kA = u"da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::u16string kB = u"0beec7b5ea3f0fdbc95d0dd47f3c5bc275da8a33";
const std::u16string kC = u"62cdb7020ff920e5aa642c3d4066950dd1f01f4d";
const std::u16string kKeyRefused = u"Invalid user key: it contains a record separator character";
const std::u16string kValueRefused = u"Invalid user value: it contains a record separator character";

std::u16string R(std::u16string_view key, std::u16string_view value) {
  return std::u16string(key) + u'\u0006' + std::u16string(value) + u'\u0007';
}

enum class Op { Find, Save, Remove };

struct OpCase {
  const char* name;
  Op op;
  std::u16string users, key, value;
  bool ok;
  std::u16string expected;  // Find: the value ("untouched" when none); Save, Remove: the string after
  std::u16string error;
};

TEST(UsersString, FindSaveAndRemoveWorkOnWholeRecordsOnly) {
  const std::u16string abc = R(u"alpha", kA) + R(u"beta", kB) + R(u"gamma", kC);
  const std::u16string longer = R(u"media.example.com", kA);
  std::vector<OpCase> cases = {
      {"find", Op::Find, abc, u"beta", u"", true, kB, u""},
      {"find an empty value", Op::Find, R(u"alpha", u""), u"alpha", u"", true, u"", u""},
      {"find a missing key", Op::Find, abc, u"delta", u"", false, u"untouched", u""},
      {"a key that ends a longer key", Op::Find, longer, u"example.com", u"", false, u"untouched", u""},
      {"key text inside a value", Op::Find, R(u"a", u"x") + R(u"b", u"gamma\u0006"), u"gamma", u"", false, u"untouched",
       u""},
      {"a record without its end", Op::Find, u"alpha\u0006" + kA, u"alpha", u"", false, u"untouched", u""},
      {"save into nothing", Op::Save, u"", u"alpha", kA, true, R(u"alpha", kA), u""},
      {"save appends a new key", Op::Save, R(u"alpha", kA), u"beta", kB, true, R(u"alpha", kA) + R(u"beta", kB), u""},
      {"save replaces in place", Op::Save, abc, u"beta", u"short", true,
       R(u"alpha", kA) + R(u"beta", u"short") + R(u"gamma", kC), u""},
      {"save a key that ends a longer key", Op::Save, longer, u"example.com", kB, true, longer + R(u"example.com", kB),
       u""},
      {"remove the middle record", Op::Remove, abc, u"beta", u"", true, R(u"alpha", kA) + R(u"gamma", kC), u""},
      {"remove the only record", Op::Remove, R(u"alpha", kA), u"alpha", u"", true, u"", u""},
      {"remove a missing key", Op::Remove, longer, u"example.com", u"", false, longer, u"User not found"},
      {"value with a record end", Op::Save, abc, u"alpha", u"x\u0007beta\u0006y", false, abc, kValueRefused},
      {"value with a key end", Op::Save, abc, u"delta", u"x\u0006", false, abc, kValueRefused},
  };
  // Unchecked, a key carrying a separator would end inside another record and return that
  // server's digest ("evil" U+0007 "victim"), or split the string into records nobody wrote.
  const std::u16string victims = R(u"evil", u"") + R(u"victim", kA);
  for (std::u16string key : {u"evil\u0007victim", u"evil\u0006", u"\u0007victim", u"victim\u0006x\u0007"}) {
    cases.push_back({"refused key: find", Op::Find, victims, key, u"", false, u"untouched", kKeyRefused});
    cases.push_back({"refused key: save", Op::Save, victims, key, kB, false, victims, kKeyRefused});
    cases.push_back({"refused key: remove", Op::Remove, victims, key, u"", false, victims, kKeyRefused});
  }
  for (const OpCase& c : cases) {
    std::u16string users = c.users, value = u"untouched", error;
    bool ok = c.op == Op::Find   ? FindUserValue(users, c.key, value, error)
              : c.op == Op::Save ? SaveUserValue(users, c.key, c.value, error)
                                 : RemoveUserValue(users, c.key, error);
    EXPECT_EQ(c.ok, ok) << c.name;
    EXPECT_EQ(c.expected, c.op == Op::Find ? value : users) << c.name;
    EXPECT_EQ(c.error, error) << c.name;
  }
}

TEST(UsersString, ParseSplitsRecordsOrNamesTheOffsetOfTheDamage) {
  const std::u16string good = R(u"alpha", u"1");  // 8 characters
  const struct {
    std::u16string users;
    std::u16string error;
  } cases[] = {
      {u"", u""},
      {R(u"alpha", kA) + R(u"", u"") + R(u"beta", kB), u""},
      {good + u"beta\u00062", u"Damaged users string at offset 8: record without an end"},
      {good + u"beta", u"Damaged users string at offset 8: record without an end"},
      {good + u"beta\u0007", u"Damaged users string at offset 12: record without a key separator"},
      {good + u"beta\u0006x\u0006y\u0007", u"Damaged users string at offset 14: second key separator in a record"},
  };
  for (const auto& c : cases) {
    std::vector<UsersRecord> records{{u"stale", u"stale"}};  // replaced only on success
    std::u16string error, joined;
    EXPECT_EQ(c.error.empty(), ParseUsersString(c.users, records, error));
    EXPECT_EQ(c.error, error);
    for (const UsersRecord& record : records) joined += R(record.key, record.value);
    EXPECT_EQ(c.error.empty() ? c.users : R(u"stale", u"stale"), joined);
  }
}

std::u16string Latin1(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }
std::u16string NotText(std::string_view) { return u""; }

TEST(UsersFile, DecodingTellsEmptyGoodAndDamagedFilesApart) {
  const std::string good = std::string("alpha\x06") + "da39\x07" + "beta\x06" + "0bee\x07";
  const struct {
    std::string bytes;
    WidenFileText widen;
    UsersFileState state;
    std::u16string damage;
  } cases[] = {
      {"", Latin1, UsersFileState::Empty, u""},
      {good, Latin1, UsersFileState::Good, u""},
      {good.substr(0, good.size() - 1), Latin1, UsersFileState::Damaged,
       u"Damaged users string at offset 11: record without an end"},
      {good, NotText, UsersFileState::Damaged, u"Damaged users string: not text in the ANSI code page"},
  };
  for (const auto& c : cases) {
    const UsersFileText file =
        DecodeUsersFile({reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()}, c.widen);
    EXPECT_EQ(c.state, file.state) << c.bytes;
    EXPECT_EQ(c.state == UsersFileState::Good ? Latin1(c.bytes) : u"", file.users) << c.bytes;
    EXPECT_EQ(c.damage, file.damage) << c.bytes;
  }
}

TEST(UsersFile, CipherRunsInPiecesOfAThousandBytesTheLastOneFinal) {
  const struct {
    size_t size;
    std::vector<std::vector<size_t>> pieces;  // offset, length, final
  } cases[] = {
      {0, {}},
      {1, {{0, 1, 1}}},
      {1000, {{0, 1000, 1}}},
      {1001, {{0, 1000, 0}, {1000, 1, 1}}},
      {2500, {{0, 1000, 0}, {1000, 1000, 0}, {2000, 500, 1}}},
  };
  for (const auto& c : cases) {
    std::vector<std::vector<size_t>> pieces;
    for (const CipherPiece& p : CipherPieces(c.size)) pieces.push_back({p.offset, p.length, p.final ? 1u : 0u});
    EXPECT_EQ(c.pieces, pieces) << c.size;
  }
}

}  // namespace
}  // namespace zm::credentials
