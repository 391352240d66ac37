// CUsers with the real file, cipher and mutex: where the cache lives, what the file holds,
// the three operations and their failure texts, and files it cannot trust.
#include "credentials/users.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

#include "credentials/users_cipher.h"
#include "credentials/users_string.h"
#include "users_files.h"

namespace zm::credentials::test {
namespace {

constexpr char16_t kKeyEnd = u'\u0006';
constexpr char16_t kRecordEnd = u'\u0007';
const std::wstring kDigestA = L"daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";
const std::wstring kDigestB = L"78e7d98de9002c87f20d4f0f5906b6fb8d515c5e";
const std::wstring kDigestC = L"f2591429e6207ac5d13c2ba1dda422092bce9439";

std::u16string Record(std::u16string_view key, std::wstring_view value) {
  std::u16string text(key);
  text.push_back(kKeyEnd);
  text.append(value.begin(), value.end());
  text.push_back(kRecordEnd);
  return text;
}

class UsersTest : public ::testing::Test {
 protected:
  CUsers Users(const char* computer = kThisComputer) { return CUsers(scratch_.Environment(computer)); }
  std::wstring FilePath() { return Users().filePath; }

  ScratchFolder scratch_;
};

// --- Where the cache lives and what the file holds.

TEST(UsersLocation, CacheIsClientusrZmsInZavrenStreamingUnderTheRoamingAppDataFolder) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
  std::wstring folder = appData;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  CUsers users;
  EXPECT_EQ(folder + L"\\Zavren Streaming\\clientusr.zms", users.filePath);
  DWORD attributes = GetFileAttributesW((folder + L"\\Zavren Streaming").c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << "the constructor creates the folder";
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(UsersTest, TrailingBackslashesOfTheFolderAreDropped) {
  CUsers users(UsersEnvironment{scratch_.path() + L"\\\\", kThisComputer});
  EXPECT_EQ(scratch_.path() + L"\\Zavren Streaming\\clientusr.zms", users.filePath);
}

TEST_F(UsersTest, SavedFileIsHiddenAndHoldsOnlyTheCiphertextOfTheUsersString) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"media.example", kDigestA)) << users.lastError;
  DWORD attributes = GetFileAttributesW(users.filePath.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);

  const std::u16string plain = Record(u"media.example", kDigestA);
  std::vector<BYTE> bytes = ReadFileBytes(users.filePath);
  ASSERT_EQ(plain.size(), bytes.size()) << "no header, no length, no checksum";
  EXPECT_EQ(std::string::npos, std::string(bytes.begin(), bytes.end()).find("media.example")) << "enciphered";
  EXPECT_EQ(plain, DecipherFile(users.filePath));
}

TEST_F(UsersTest, KeyDependsOnTheComputerName) {
  ASSERT_TRUE(Users(kOtherComputer).SaveUser(L"media.example", kDigestA));
  EXPECT_NE(Record(u"media.example", kDigestA), DecipherFile(FilePath(), kThisComputer));
  EXPECT_EQ(Record(u"media.example", kDigestA), DecipherFile(FilePath(), kOtherComputer));
}

TEST(UsersCipher, KeystreamRunsOnAcrossThousandBytePieces) {
  // Were every piece final, the RC4 key would restart and each 1000 bytes repeat the first.
  CUsersCipher cipher(kThisComputer);
  ASSERT_TRUE(cipher.ok());
  std::vector<BYTE> bytes(2500, 0);
  ASSERT_TRUE(cipher.Encipher(bytes));
  EXPECT_FALSE(std::equal(bytes.begin(), bytes.begin() + 1000, bytes.begin() + 1000));
  EXPECT_FALSE(std::equal(bytes.begin() + 1000, bytes.begin() + 1500, bytes.begin() + 2000));
  ASSERT_TRUE(cipher.Decipher(bytes));
  EXPECT_EQ(std::vector<BYTE>(2500, 0), bytes);
}

TEST_F(UsersTest, ManyRecordsBeyondSeveralPiecesRoundTrip) {
  CUsers users = Users();
  for (int i = 0; i < 80; ++i) {
    ASSERT_TRUE(users.SaveUser(L"server-" + std::to_wstring(i) + L".example", kDigestA)) << users.lastError;
  }
  EXPECT_GT(ReadFileBytes(users.filePath).size(), 4000u);
  for (int i = 0; i < 80; ++i) {
    std::wstring value;
    ASSERT_TRUE(users.FindUser(L"server-" + std::to_wstring(i) + L".example", value)) << i;
    EXPECT_EQ(kDigestA, value);
  }
}

// --- The operations.

TEST_F(UsersTest, KeysAreLowerCasedSoAnyCaseFindsTheRecord) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"Media.Example.COM", kDigestA));
  std::wstring value;
  ASSERT_TRUE(users.FindUser(L"MEDIA.EXAMPLE.COM", value));
  EXPECT_EQ(kDigestA, value);
  EXPECT_EQ(Record(u"media.example.com", kDigestA), DecipherFile(users.filePath));
}

TEST_F(UsersTest, SavingAnExistingKeyReplacesOnlyItsValueInPlace) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  ASSERT_TRUE(users.SaveUser(L"b.example", kDigestB));
  ASSERT_TRUE(users.SaveUser(L"c.example", kDigestC));
  ASSERT_TRUE(users.SaveUser(L"B.example", kDigestA));
  EXPECT_EQ(Record(u"a.example", kDigestA) + Record(u"b.example", kDigestA) + Record(u"c.example", kDigestC),
            DecipherFile(users.filePath));
}

TEST_F(UsersTest, KeyThatEndsAnotherKeyDoesNotMatchItAndGetsItsOwnRecord) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"media.example.com", kDigestA));
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"example.com", value));
  EXPECT_EQ(L"", users.lastError);
  ASSERT_TRUE(users.SaveUser(L"example.com", kDigestB));
  EXPECT_EQ(Record(u"media.example.com", kDigestA) + Record(u"example.com", kDigestB), DecipherFile(users.filePath));
  ASSERT_TRUE(users.FindUser(L"media.example.com", value));
  EXPECT_EQ(kDigestA, value);
}

TEST_F(UsersTest, RemoveUserDeletesOnlyThatRecord) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  ASSERT_TRUE(users.SaveUser(L"b.example", kDigestB));
  ASSERT_TRUE(users.SaveUser(L"c.example", kDigestC));
  ASSERT_TRUE(users.RemoveUser(L"B.EXAMPLE")) << users.lastError;
  EXPECT_EQ(Record(u"a.example", kDigestA) + Record(u"c.example", kDigestC), DecipherFile(users.filePath));
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"b.example", value));
}

TEST_F(UsersTest, RemovingTheLastRecordLeavesAnEmptyFile) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  ASSERT_TRUE(users.RemoveUser(L"a.example"));
  bool exists = false;
  EXPECT_TRUE(ReadFileBytes(users.filePath, &exists).empty());
  EXPECT_TRUE(exists) << "the file is rewritten, never deleted";
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_EQ(L"The file is empty", users.lastError);
}

TEST_F(UsersTest, RemovingAUserThatIsNotThereFailsAndLeavesTheFileUnchanged) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  EXPECT_FALSE(users.RemoveUser(L"b.example"));
  EXPECT_EQ(L"User not found", users.lastError);
  EXPECT_EQ(before, ReadFileBytes(users.filePath));
}

TEST_F(UsersTest, WithoutAFileFindAndRemoveCannotOpenItAndSaveCreatesIt) {
  CUsers users = Users();
  std::wstring value = L"untouched";
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_EQ(L"Can not open file", users.lastError);
  EXPECT_EQ(L"untouched", value);
  users.lastError.clear();
  EXPECT_FALSE(users.RemoveUser(L"a.example"));
  EXPECT_EQ(L"Can not open file", users.lastError);
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  ASSERT_TRUE(users.FindUser(L"a.example", value));
  EXPECT_EQ(kDigestA, value);
}

// --- Files it cannot trust: no match, no crash, and the next save writes a valid file.

void ExpectOnlyRecordAfterSave(CUsers& users, const std::wstring& path) {
  ASSERT_TRUE(users.SaveUser(L"fresh.example", kDigestC)) << users.lastError;
  const std::u16string text = DecipherFile(path);
  std::vector<UsersRecord> records;
  std::u16string error;
  ASSERT_TRUE(ParseUsersString(text, records, error)) << std::string(error.begin(), error.end());
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ(u"fresh.example", records[0].key);
  std::wstring value;
  ASSERT_TRUE(users.FindUser(L"fresh.example", value));
  EXPECT_EQ(kDigestC, value);
}

TEST_F(UsersTest, EmptyFileFindsNothingAndTheNextSaveWritesAValidFile) {
  CUsers users = Users();
  WriteFileBytes(users.filePath, {});
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_EQ(L"The file is empty", users.lastError);
  EXPECT_FALSE(users.RemoveUser(L"a.example"));
  EXPECT_EQ(L"The file is empty", users.lastError);
  ExpectOnlyRecordAfterSave(users, users.filePath);
}

TEST_F(UsersTest, DamagedFileFindsNothingAndTheNextSaveWritesAValidFile) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  std::vector<BYTE> bytes = ReadFileBytes(users.filePath);
  for (size_t i = 0; i < bytes.size(); i += 3) bytes[i] ^= 0x5A;
  bytes.resize(bytes.size() - 7);
  WriteFileBytes(users.filePath, bytes);
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_FALSE(users.RemoveUser(L"a.example"));
  ExpectOnlyRecordAfterSave(users, users.filePath);
}

TEST_F(UsersTest, ArbitraryBytesOfEveryValueFindNothingAndDoNotCrash) {
  CUsers users = Users();
  std::vector<BYTE> bytes(3001);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 7 + (i >> 8));
  WriteFileBytes(users.filePath, bytes);
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  ExpectOnlyRecordAfterSave(users, users.filePath);
}

TEST_F(UsersTest, FileFromAnotherComputerFindsNothingAndTheNextSaveWritesAValidFile) {
  CUsers other = Users(kOtherComputer);
  ASSERT_TRUE(other.SaveUser(L"a.example", kDigestA));
  ASSERT_TRUE(other.SaveUser(L"b.example", kDigestB));
  CUsers users = Users(kThisComputer);
  std::wstring value;
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_FALSE(users.FindUser(L"b.example", value));
  ExpectOnlyRecordAfterSave(users, users.filePath);
}

// --- Keys that would break the records are refused, and the file is not touched.

TEST_F(UsersTest, KeyWithARecordSeparatorIsRefusedAndTheFileIsUntouched) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"good.example", kDigestA));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  // Such a key would end a record early ("evil" + U+0006 + a value of its own choosing) or
  // reach into another server's record.
  const std::wstring keys[] = {std::wstring(L"evil\x0006") + kDigestB + L"\x0007good.example",
                               std::wstring(L"x\x0007good.example"), std::wstring(L"tail\x0006")};
  for (const std::wstring& key : keys) {
    users.lastError.clear();
    EXPECT_FALSE(users.SaveUser(key, kDigestB));
    EXPECT_EQ(L"Invalid user key: it contains a record separator character", users.lastError);
    users.lastError.clear();
    EXPECT_FALSE(users.RemoveUser(key));
    EXPECT_EQ(L"Invalid user key: it contains a record separator character", users.lastError);
    users.lastError.clear();
    std::wstring value = L"untouched";
    EXPECT_FALSE(users.FindUser(key, value));
    EXPECT_EQ(L"Invalid user key: it contains a record separator character", users.lastError);
    EXPECT_EQ(L"untouched", value);
    EXPECT_EQ(before, ReadFileBytes(users.filePath));
  }
  std::wstring value;
  ASSERT_TRUE(users.FindUser(L"good.example", value));
  EXPECT_EQ(kDigestA, value);
}

TEST_F(UsersTest, RefusedKeyDoesNotCreateAMissingFile) {
  CUsers users = Users();
  EXPECT_FALSE(users.SaveUser(L"a\x0007" L"b", kDigestA));
  EXPECT_EQ(L"Invalid user key: it contains a record separator character", users.lastError);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(users.filePath.c_str()));
}

TEST_F(UsersTest, ValueWithARecordSeparatorIsRefusedAndTheFileIsUntouched) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"good.example", kDigestA));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  EXPECT_FALSE(users.SaveUser(L"other.example", L"abc\x0007" L"evil\x0006" L"x"));
  EXPECT_EQ(L"Invalid user value: it contains a record separator character", users.lastError);
  EXPECT_EQ(before, ReadFileBytes(users.filePath));
}

TEST_F(UsersTest, KeyTheAnsiCodePageCannotHoldIsRefused) {
  if (GetACP() != 1252) GTEST_SKIP() << "the key below is only foreign to code page 1252";
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"?.example", kDigestA));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  // Written as ANSI it would become "?.example" and take that server's record.
  EXPECT_FALSE(users.SaveUser(L"\x4E2D.example", kDigestB));
  EXPECT_EQ(L"Invalid user key: it cannot be written in the ANSI code page", users.lastError);
  EXPECT_EQ(before, ReadFileBytes(users.filePath));
}

// --- The mutex.

TEST_F(UsersTest, OperationGivesUpWhenTheMutexIsHeldAndLeavesLastErrorAlone) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", kDigestA));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"ZavrenMediaClientUsersMutex");
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(taken);
    WaitForSingleObject(release, 60000);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000));
  users.lastError = L"earlier";
  EXPECT_FALSE(users.SaveUser(L"b.example", kDigestB));
  EXPECT_EQ(L"earlier", users.lastError);
  SetEvent(release);
  holder.join();
  CloseHandle(taken);
  CloseHandle(release);
  EXPECT_EQ(before, ReadFileBytes(users.filePath));
  ASSERT_TRUE(users.SaveUser(L"b.example", kDigestB)) << "free again once released";
}

}  // namespace
}  // namespace zm::credentials::test
