// The users string: lookup, replacement, appending and removal of records, and the refusal
// of keys and values that would break the record structure.
#include "credentials/users_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zm::credentials {
namespace {

const std::u16string kDigestA = u"da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::u16string kDigestB = u"0beec7b5ea3f0fdbc95d0dd47f3c5bc275da8a33";
const std::u16string kDigestC = u"62cdb7020ff920e5aa642c3d4066950dd1f01f4d";

// A users string written out by hand, so the tests do not trust the code they check.
std::u16string Record(std::u16string_view key, std::u16string_view value) {
  return std::u16string(key) + u'\u0006' + std::u16string(value) + u'\u0007';
}

std::u16string Find(std::u16string_view users, std::u16string_view key) {
  std::u16string value, error;
  EXPECT_TRUE(FindUserValue(users, key, value, error)) << "no record for the key";
  EXPECT_TRUE(error.empty());
  return value;
}

TEST(UsersStringFind, ReturnsTheValueOfTheMatchingRecord) {
  std::u16string users = Record(u"alpha.example", kDigestA) + Record(u"10.0.0.7", kDigestB);
  EXPECT_EQ(Find(users, u"alpha.example"), kDigestA);
  EXPECT_EQ(Find(users, u"10.0.0.7"), kDigestB);
}

TEST(UsersStringFind, MissingKeyFailsWithoutErrorText) {
  std::u16string value = u"untouched", error;
  EXPECT_FALSE(FindUserValue(Record(u"alpha", kDigestA), u"beta", value, error));
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(value, u"untouched");
  EXPECT_FALSE(FindUserValue(u"", u"beta", value, error));
}

TEST(UsersStringFind, KeyThatEndsALongerKeyDoesNotMatchIt) {
  std::u16string users = Record(u"media.example.com", kDigestA);
  std::u16string value, error;
  EXPECT_FALSE(FindUserValue(users, u"example.com", value, error));
  users += Record(u"example.com", kDigestB);
  EXPECT_EQ(Find(users, u"example.com"), kDigestB);
}

TEST(UsersStringFind, KeyTextInsideAValueDoesNotMatch) {
  std::u16string users = Record(u"alpha", u"x") + Record(u"beta", u"gamma\u0006");
  std::u16string value, error;
  // "gamma" + U+0006 occurs, but not at the start of a record.
  EXPECT_FALSE(FindUserValue(users, u"gamma", value, error));
}

TEST(UsersStringFind, RecordWithoutEndIsNotFound) {
  std::u16string value, error;
  EXPECT_FALSE(FindUserValue(u"alpha\u0006" + kDigestA, u"alpha", value, error));
  EXPECT_TRUE(error.empty());
}

TEST(UsersStringFind, EmptyValueIsFound) {
  EXPECT_EQ(Find(Record(u"alpha", u""), u"alpha"), u"");
}

TEST(UsersStringSave, AppendsToAnEmptyString) {
  std::u16string users, error;
  ASSERT_TRUE(SaveUserValue(users, u"alpha", kDigestA, error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA));
}

TEST(UsersStringSave, AppendsANewKeyAtTheEnd) {
  std::u16string users = Record(u"alpha", kDigestA), error;
  ASSERT_TRUE(SaveUserValue(users, u"beta", kDigestB, error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA) + Record(u"beta", kDigestB));
}

TEST(UsersStringSave, ReplacesOnlyTheValueOfAnExistingKeyKeepingTheOrder) {
  std::u16string users = Record(u"alpha", kDigestA) + Record(u"beta", kDigestB) + Record(u"gamma", kDigestC);
  std::u16string error;
  ASSERT_TRUE(SaveUserValue(users, u"beta", kDigestA, error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA) + Record(u"beta", kDigestA) + Record(u"gamma", kDigestC));
}

TEST(UsersStringSave, ReplacesWithAValueOfAnotherLength) {
  std::u16string users = Record(u"alpha", u"short") + Record(u"beta", kDigestB), error;
  ASSERT_TRUE(SaveUserValue(users, u"alpha", kDigestA, error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA) + Record(u"beta", kDigestB));
}

TEST(UsersStringSave, KeyThatEndsALongerKeyGetsARecordOfItsOwn) {
  std::u16string users = Record(u"media.example.com", kDigestA), error;
  ASSERT_TRUE(SaveUserValue(users, u"example.com", kDigestB, error));
  EXPECT_EQ(users, Record(u"media.example.com", kDigestA) + Record(u"example.com", kDigestB));
}

TEST(UsersStringRemove, DeletesOnlyTheRecordOfTheKey) {
  std::u16string users = Record(u"alpha", kDigestA) + Record(u"beta", kDigestB) + Record(u"gamma", kDigestC);
  std::u16string error;
  ASSERT_TRUE(RemoveUserValue(users, u"beta", error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA) + Record(u"gamma", kDigestC));
  ASSERT_TRUE(RemoveUserValue(users, u"alpha", error));
  ASSERT_TRUE(RemoveUserValue(users, u"gamma", error));
  EXPECT_EQ(users, u"");
}

TEST(UsersStringRemove, MissingKeyFailsWithUserNotFoundAndLeavesTheString) {
  const std::u16string original = Record(u"media.example.com", kDigestA);
  std::u16string users = original, error;
  EXPECT_FALSE(RemoveUserValue(users, u"example.com", error));
  EXPECT_EQ(error, u"User not found");
  EXPECT_EQ(users, original);
}

// A key carrying U+0006 or U+0007 could, unchecked, end inside another record and return
// that server's digest, or split the string into records nobody wrote.
class UsersStringSeparatorKey : public testing::TestWithParam<std::u16string> {};

TEST_P(UsersStringSeparatorKey, FindIsRefusedAndReturnsNoOtherServersDigest) {
  // Unchecked, "evil" U+0007 "victim" would find the record starting after "evil...U+0007".
  std::u16string users = Record(u"evil", u"") + Record(u"victim", kDigestA);
  std::u16string value, error;
  EXPECT_FALSE(FindUserValue(users, GetParam(), value, error));
  EXPECT_EQ(error, u"Invalid user key: it contains a record separator character");
  EXPECT_TRUE(value.empty());
}

TEST_P(UsersStringSeparatorKey, SaveIsRefusedAndLeavesTheString) {
  const std::u16string original = Record(u"victim", kDigestA);
  std::u16string users = original, error;
  EXPECT_FALSE(SaveUserValue(users, GetParam(), kDigestB, error));
  EXPECT_EQ(error, u"Invalid user key: it contains a record separator character");
  EXPECT_EQ(users, original);
}

TEST_P(UsersStringSeparatorKey, RemoveIsRefusedAndLeavesTheString) {
  const std::u16string original = Record(u"evil", u"") + Record(u"victim", kDigestA);
  std::u16string users = original, error;
  EXPECT_FALSE(RemoveUserValue(users, GetParam(), error));
  EXPECT_EQ(error, u"Invalid user key: it contains a record separator character");
  EXPECT_EQ(users, original);
}

INSTANTIATE_TEST_SUITE_P(Keys, UsersStringSeparatorKey,
                         testing::Values(std::u16string(u"evil\u0007victim"), std::u16string(u"evil\u0006"),
                                         std::u16string(u"\u0007victim"), std::u16string(u"victim\u0006x\u0007")));

TEST(UsersStringSave, ValueWithSeparatorIsRefusedAndLeavesTheString) {
  const std::u16string original = Record(u"alpha", kDigestA);
  for (std::u16string value : {u"x\u0007beta\u0006y", u"x\u0006"}) {
    std::u16string users = original, error;
    EXPECT_FALSE(SaveUserValue(users, u"alpha", value, error));
    EXPECT_EQ(error, u"Invalid user value: it contains a record separator character");
    EXPECT_EQ(users, original);
  }
}

TEST(UsersStringParse, SplitsRecordsInOrder) {
  std::vector<UsersRecord> records;
  std::u16string error;
  ASSERT_TRUE(ParseUsersString(Record(u"alpha", kDigestA) + Record(u"", u"") + Record(u"beta", kDigestB), records,
                               error));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].key, u"alpha");
  EXPECT_EQ(records[0].value, kDigestA);
  EXPECT_EQ(records[1].key, u"");
  EXPECT_EQ(records[1].value, u"");
  EXPECT_EQ(records[2].key, u"beta");
  EXPECT_EQ(records[2].value, kDigestB);
}

TEST(UsersStringParse, EmptyStringHasNoRecords) {
  std::vector<UsersRecord> records{{u"stale", u"stale"}};
  std::u16string error;
  ASSERT_TRUE(ParseUsersString(u"", records, error));
  EXPECT_TRUE(records.empty());
}

TEST(UsersStringParse, DamagedStringsFailNamingTheOffset) {
  struct Case {
    std::u16string users;
    std::u16string error;
  };
  const std::u16string good = Record(u"alpha", u"1");  // 8 characters
  const Case cases[] = {
      {good + u"beta\u00062", u"Damaged users string at offset 8: record without an end"},
      {good + u"beta", u"Damaged users string at offset 8: record without an end"},
      {good + u"beta\u0007", u"Damaged users string at offset 12: record without a key separator"},
      {good + u"beta\u0006x\u0006y\u0007", u"Damaged users string at offset 14: second key separator in a record"},
  };
  for (const Case& c : cases) {
    std::vector<UsersRecord> records{{u"stale", u"stale"}};
    std::u16string error;
    EXPECT_FALSE(ParseUsersString(c.users, records, error));
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(records.size(), 1u) << "records are replaced only on success";
    EXPECT_EQ(records[0].key, u"stale");
  }
}

TEST(UsersStringJoin, IsTheInverseOfParse) {
  std::vector<UsersRecord> records{{u"alpha", kDigestA}, {u"beta", kDigestB}};
  std::u16string users, error;
  ASSERT_TRUE(JoinUsersRecords(records, users, error));
  EXPECT_EQ(users, Record(u"alpha", kDigestA) + Record(u"beta", kDigestB));
  std::vector<UsersRecord> parsed;
  ASSERT_TRUE(ParseUsersString(users, parsed, error));
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[1].key, u"beta");
  EXPECT_EQ(parsed[1].value, kDigestB);
}

TEST(UsersStringJoin, RefusesASeparatorInAKeyAndKeepsTheOutput) {
  std::u16string users = u"kept", error;
  EXPECT_FALSE(JoinUsersRecords({{u"alpha", kDigestA}, {u"be\u0007ta", kDigestB}}, users, error));
  EXPECT_EQ(error, u"Invalid user key: it contains a record separator character");
  EXPECT_EQ(users, u"kept");
}

}  // namespace
}  // namespace zm::credentials
