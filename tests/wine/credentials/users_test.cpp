// CUsers with the real file, cipher and mutex: where the cache lives, what the file holds, the
// three operations and their failure texts, and files it cannot trust, which are kept aside.
// The file's raw bytes and its deciphered text are read here to check what CUsers wrote.
#include "credentials/users.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "com/code_page_text.h"
#include "com/unique_handle.h"
#include "credentials/users_cipher.h"
#include "users_files.h"

namespace zm::credentials::test {
namespace {

using com::AsWide;

const std::u16string kA = u"daf19fe9c9a9b55e298f9c8425e0d927b7860f9e";
const std::u16string kB = u"78e7d98de9002c87f20d4f0f5906b6fb8d515c5e";
const std::u16string kC = u"f2591429e6207ac5d13c2ba1dda422092bce9439";
constexpr wchar_t kKeyRefused[] = L"Invalid user key: it contains a record separator character";

std::u16string R(std::u16string_view key, std::u16string_view value) {
  return std::u16string(key) + u'\u0006' + std::u16string(value) + u'\u0007';
}

com::UniqueHandle Open(const std::wstring& path, DWORD access, DWORD disposition) {
  HANDLE file = CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_HIDDEN, nullptr);
  return com::UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path) {
  com::UniqueHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
  std::vector<BYTE> bytes(file ? GetFileSize(file.get(), nullptr) : 0);
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
  com::UniqueHandle file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  DWORD written = 0;
  if (file && !bytes.empty()) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The file deciphered with the key of `computer`, widened from the ANSI code page.
std::u16string DecipherFile(const std::wstring& path, const char* computer = kThisComputer) {
  std::vector<BYTE> bytes = ReadFileBytes(path);
  const auto cipher = CUsersCipher::Create(computer);
  if (!cipher || !cipher->Decipher(bytes)) return u"<undecipherable>";
  return com::AsU16(com::CodePageToWide({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, CP_ACP));
}

class UsersTest : public ::testing::Test {
 protected:
  CUsers Users(const char* computer = kThisComputer) { return CUsers(scratch_.Environment(computer)); }
  std::wstring Kept() { return Users().filePath + L".damaged"; }

  ScratchFolder scratch_;
};

TEST_F(UsersTest, CacheIsClientusrZmsInZavrenStreamingUnderTheRoamingAppDataFolder) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
  EXPECT_EQ(std::wstring(appData) + L"\\Zavren Streaming\\clientusr.zms", CUsers().filePath);
  const DWORD attributes = GetFileAttributesW((std::wstring(appData) + L"\\Zavren Streaming").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << "created";
  EXPECT_EQ(scratch_.path() + L"\\Zavren Streaming\\clientusr.zms",
            CUsers(UsersEnvironment{scratch_.path() + L"\\\\", kThisComputer}).filePath);
}

TEST_F(UsersTest, SavedFileIsHiddenAndHoldsOnlyTheCiphertextOfTheUsersString) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"media.example", AsWide(kA))) << users.lastError;
  EXPECT_TRUE(GetFileAttributesW(users.filePath.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  const std::vector<BYTE> bytes = ReadFileBytes(users.filePath);
  EXPECT_EQ(R(u"media.example", kA).size(), bytes.size()) << "no header, no length, no checksum";
  EXPECT_EQ(std::string::npos, std::string(bytes.begin(), bytes.end()).find("media.example")) << "enciphered";
  EXPECT_EQ(R(u"media.example", kA), DecipherFile(users.filePath, kThisComputer));
}

TEST(UsersCipher, KeystreamRunsOnAcrossThousandBytePieces) {
  // Were every piece final, the RC4 key would restart and each 1000 bytes repeat the first.
  const auto cipher = CUsersCipher::Create(kThisComputer);
  ASSERT_TRUE(cipher);
  std::vector<BYTE> bytes(2500, 0);
  ASSERT_TRUE(cipher->Encipher(bytes));
  EXPECT_FALSE(std::equal(bytes.begin(), bytes.begin() + 1000, bytes.begin() + 1000));
  EXPECT_FALSE(std::equal(bytes.begin() + 1000, bytes.begin() + 1500, bytes.begin() + 2000));
  ASSERT_TRUE(cipher->Decipher(bytes));
  EXPECT_EQ(std::vector<BYTE>(2500, 0), bytes);
}

TEST_F(UsersTest, OperationsLowerCaseTheKeyAndTouchOnlyItsRecord) {
  CUsers users = Users();
  for (const wchar_t* key : {L"A.example", L"media.example.com", L"C.example"}) {
    ASSERT_TRUE(users.SaveUser(key, AsWide(kA))) << users.lastError;
  }
  ASSERT_TRUE(users.SaveUser(L"MEDIA.Example.com", AsWide(kB)));
  std::wstring value;
  ASSERT_TRUE(users.FindUser(L"media.example.COM", value));
  EXPECT_EQ(AsWide(kB), value);
  ASSERT_TRUE(users.SaveUser(L"example.com", AsWide(kC)));
  ASSERT_TRUE(users.RemoveUser(L"a.EXAMPLE")) << users.lastError;
  EXPECT_EQ(R(u"media.example.com", kB) + R(u"c.example", kA) + R(u"example.com", kC), DecipherFile(users.filePath));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Kept().c_str())) << "a good file is never moved aside";
}

TEST_F(UsersTest, MissingEmptyFileAndUnknownUserFailWithTheirTexts) {
  CUsers users = Users();
  std::wstring value = L"untouched";
  EXPECT_FALSE(users.FindUser(L"a.example", value));
  EXPECT_EQ(L"Can not open file", users.lastError);
  EXPECT_EQ(L"untouched", value);

  ASSERT_TRUE(users.SaveUser(L"a.example", AsWide(kA)));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  EXPECT_FALSE(users.RemoveUser(L"b.example"));
  EXPECT_EQ(L"User not found", users.lastError);
  EXPECT_EQ(before, ReadFileBytes(users.filePath));

  ASSERT_TRUE(users.RemoveUser(L"a.example"));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(users.filePath.c_str())) << "rewritten, never deleted";
  EXPECT_TRUE(ReadFileBytes(users.filePath).empty());
  EXPECT_FALSE(users.RemoveUser(L"a.example"));
  EXPECT_EQ(L"The file is empty", users.lastError);
  ASSERT_TRUE(users.SaveUser(L"a.example", AsWide(kA)));
  EXPECT_EQ(R(u"a.example", kA), DecipherFile(users.filePath));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Kept().c_str())) << "an empty file holds nothing to keep";
}

// One damaged byte, or another computer's key, makes a file that finds nothing; the next save
// must not destroy it, since its records may still be recovered.
TEST_F(UsersTest, FileThatIsNotRecordsIsKeptAsideBeforeTheNextSave) {
  CUsers users = Users();
  ASSERT_TRUE(users.SaveUser(L"a.example", AsWide(kA)));
  std::vector<BYTE> damaged = ReadFileBytes(users.filePath);
  damaged.back() ^= 0x07 ^ 'x';  // RC4 flips the same plaintext bit: the record loses its end
  WriteFileBytes(users.filePath, damaged);
  ScratchFolder elsewhere;
  CUsers other(elsewhere.Environment(kOtherComputer));
  ASSERT_TRUE(other.SaveUser(L"a.example", AsWide(kB)) && other.SaveUser(L"b.example", AsWide(kC)));
  const std::vector<BYTE> foreign = ReadFileBytes(other.filePath);

  for (const std::vector<BYTE>& file : {damaged, foreign}) {
    WriteFileBytes(users.filePath, file);
    std::wstring value = L"none";
    users.lastError.clear();
    EXPECT_FALSE(users.FindUser(L"a.example", value));
    EXPECT_EQ(L"", users.lastError) << "finding nothing is no error";
    EXPECT_FALSE(users.RemoveUser(L"a.example"));
    EXPECT_EQ(L"User not found", users.lastError);
    EXPECT_EQ(file, ReadFileBytes(users.filePath)) << "finding and removing leave it alone";
    ASSERT_TRUE(users.SaveUser(L"fresh.example", AsWide(kC))) << users.lastError;
    EXPECT_EQ(file, ReadFileBytes(Kept())) << "kept aside, replacing an earlier one";
    EXPECT_EQ(R(u"fresh.example", kC), DecipherFile(users.filePath));
  }
  EXPECT_EQ(R(u"a.example", kB) + R(u"b.example", kC), DecipherFile(Kept(), kOtherComputer));
}

// Which keys and values the records refuse, with their texts, is proven on the users string in
// tests/native; here, that a refusal touches no file, and the key no ANSI code page can write.
TEST_F(UsersTest, KeyOrValueThatWouldBreakTheRecordsIsRefusedAndTheFileUntouched) {
  CUsers users = Users();
  EXPECT_FALSE(users.SaveUser(std::wstring(L"a\x0007") + L"b", AsWide(kA)));
  EXPECT_EQ(kKeyRefused, users.lastError);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(users.filePath.c_str())) << "no file made";
  ASSERT_TRUE(users.SaveUser(L"good.example", AsWide(kA)));
  const std::vector<BYTE> before = ReadFileBytes(users.filePath);
  EXPECT_FALSE(users.RemoveUser(L"evil\x0006" + AsWide(kB) + L"\x0007good.example"));
  EXPECT_EQ(kKeyRefused, users.lastError);
  EXPECT_FALSE(users.SaveUser(L"other.example", std::wstring(L"abc\x0007") + L"evil\x0006" + L"x"));
  EXPECT_EQ(L"Invalid user value: it contains a record separator character", users.lastError);
  if (GetACP() == 1252) {  // written as ANSI the key would become "?.example", another server's
    EXPECT_FALSE(users.SaveUser(L"\x4E2D.example", AsWide(kB)));
    EXPECT_EQ(L"Invalid user key: it cannot be written in the ANSI code page", users.lastError);
  }
  EXPECT_EQ(before, ReadFileBytes(users.filePath));
}

TEST_F(UsersTest, OperationGivesUpWhenTheMutexIsHeldAndLeavesLastErrorAlone) {
  CUsers users = Users();
  com::UniqueHandle taken(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  com::UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread holder([&] {
    com::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, L"ZavrenMediaClientUsersMutex"));
    WaitForSingleObject(mutex.get(), INFINITE);
    SetEvent(taken.get());
    WaitForSingleObject(release.get(), 60000);
    ReleaseMutex(mutex.get());
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken.get(), 10000));
  users.lastError = L"earlier";
  EXPECT_FALSE(users.SaveUser(L"b.example", AsWide(kB)));
  EXPECT_EQ(L"earlier", users.lastError);
  SetEvent(release.get());
  holder.join();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(users.filePath.c_str()));
  ASSERT_TRUE(users.SaveUser(L"b.example", AsWide(kB))) << "free again once released";
}

}  // namespace
}  // namespace zm::credentials::test
