#include "credentials/users.h"

#include <shlobj.h>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "com/code_page_text.h"
#include "protocol/error_texts.h"
#include "com/unique_handle.h"
#include "credentials/users_cipher.h"
#include "credentials/users_file.h"
#include "credentials/users_string.h"

namespace zm::credentials {
namespace {

using com::AsU16;
using com::AsWide;
using com::UniqueHandle;

constexpr wchar_t kMutexName[] = L"ZavrenMediaClientUsersMutex";
constexpr DWORD kMutexWaitMs = 5000;
constexpr wchar_t kFolderName[] = L"\\Zavren Streaming";
constexpr wchar_t kFileName[] = L"\\clientusr.zms";
constexpr wchar_t kDamagedSuffix[] = L".damaged";
// Far beyond any real cache; a bigger file is not ours and is not read into memory.
constexpr LONGLONG kMaxFileBytes = 16 * 1024 * 1024;

// A failure inside an operation: its text becomes lastError at the operation's boundary.
struct UsersFailure {
  std::wstring text;
};

[[noreturn]] void Fail(std::wstring text) { throw UsersFailure{std::move(text)}; }

void ReleaseMutexFn(HANDLE mutex) { ReleaseMutex(mutex); }
using MutexOwnership = com::UniqueResource<HANDLE, ReleaseMutexFn, nullptr>;

// The named mutex, owned from a successful Take until destruction.
class UsersMutexLock {
 public:
  bool Take() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex_) return false;
    // An abandoned mutex is ours all the same; the file is rewritten whole, never patched.
    const DWORD wait = WaitForSingleObject(mutex_.get(), kMutexWaitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ownership_.reset(mutex_.get());
    return static_cast<bool>(ownership_);
  }

 private:
  UniqueHandle mutex_;
  MutexOwnership ownership_;  // declared after the handle: released before it is closed
};

std::wstring LowerKey(std::wstring key) {
  if (!key.empty()) CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
  return path;
}

std::wstring BuildFilePath(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  folder += kFolderName;
  if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(folder.c_str(), nullptr);
  return folder + kFileName;
}

UniqueHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition, DWORD attributes) {
  HANDLE h = CreateFileW(path.c_str(), access, 0, nullptr, disposition, attributes, nullptr);
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

std::vector<BYTE> ReadWhole(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileBytes) Fail(L"ReadFile failed");
  std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    Fail(L"ReadFile failed");
  }
  return bytes;
}

std::u16string WidenAnsi(std::string_view bytes) { return AsU16(com::CodePageToWide(bytes, CP_ACP)); }

enum class Direction { Encipher, Decipher };

void RunCipher(Direction direction, std::vector<BYTE>& bytes, const std::string& computerName) {
  const std::optional<CUsersCipher> cipher = CUsersCipher::Create(computerName);
  if (direction == Direction::Encipher) {
    if (!cipher || !cipher->Encipher(bytes)) Fail(L"Error encoding users string");
  } else if (!cipher || !cipher->Decipher(bytes)) {
    Fail(L"Error decoding users string");
  }
}

// What the file holds; `opened` is false when there is no file to read.
struct StoredUsers {
  bool opened = false;
  UsersFileText text;
};

StoredUsers ReadUsers(const std::wstring& path, const std::string& computerName) {
  StoredUsers stored;
  UniqueHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (!file) return stored;
  stored.opened = true;
  std::vector<BYTE> bytes = ReadWhole(file.get());
  if (bytes.empty()) return stored;
  RunCipher(Direction::Decipher, bytes, computerName);
  stored.text = DecodeUsersFile(bytes, WidenAnsi);
  return stored;
}

// The users string of an existing, non-empty file, for RemoveUser and FindUser. A damaged file
// holds no record we could trust, so it finds nothing; it is not rewritten here.
std::u16string ReadExistingUsers(const std::wstring& path, const std::string& computerName) {
  StoredUsers stored = ReadUsers(path, computerName);
  if (!stored.opened) Fail(L"Can not open file");
  if (stored.text.state == UsersFileState::Empty) Fail(L"The file is empty");
  return std::move(stored.text.users);
}

// A file we could not read as records may be another computer's, or one damaged byte away from
// good: it is kept under the suffixed name (replacing an earlier one) instead of overwritten.
void KeepDamagedAside(const std::wstring& path) {
  if (!MoveFileExW(path.c_str(), (path + kDamagedSuffix).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    Fail(L"Can not keep the damaged file aside");
  }
}

// Enciphered before the file is opened, so that a failing cipher leaves the old file whole.
void WriteUsers(const std::wstring& path, const std::u16string& users, const std::string& computerName,
                bool keepAside) {
  const std::string ansi = com::WideToCodePage(AsWide(users), CP_ACP);
  if (ansi.empty() != users.empty()) Fail(L"Error encoding users string");
  std::vector<BYTE> bytes(ansi.begin(), ansi.end());
  RunCipher(Direction::Encipher, bytes, computerName);
  if (keepAside) KeepDamagedAside(path);
  UniqueHandle file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
  if (!file) Fail(L"Can not open file for writing");
  DWORD written = 0;
  if (!bytes.empty() && (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                         written != bytes.size())) {
    Fail(L"WriteFile failed");
  }
}

// A key is stored in the ANSI code page: one that does not survive the trip would come back as
// another text ("?" or a best-fit letter) and could collide with another server's key.
void CheckKeyIsAnsi(const std::wstring& key) {
  if (com::CodePageToWide(com::WideToCodePage(key, CP_ACP), CP_ACP) != key) {
    Fail(L"Invalid user key: it cannot be written in the ANSI code page");
  }
}

// Runs one operation under the mutex with the lower-cased key; failures raised inside end it
// with lastError set, and the owners release the file, cipher and mutex on the way out.
template <class Body>
BOOL RunUnderMutex(std::wstring& lastError, const std::wstring& key, Body body) {
  UsersMutexLock lock;
  if (!lock.Take()) return FALSE;
  try {
    const std::wstring lowered = LowerKey(key);
    CheckKeyIsAnsi(lowered);
    return body(AsU16(lowered));
  } catch (const UsersFailure& failure) {
    lastError = failure.text;
  } catch (...) {
    lastError = protocol::kTextUnexpected;
  }
  return FALSE;
}

}  // namespace

CUsers::CUsers() : CUsers(UsersEnvironment{}) {}

CUsers::CUsers(const UsersEnvironment& environment) : computerName_(environment.computerName) {
  filePath = BuildFilePath(environment.appDataFolder.empty() ? AppDataFolder() : environment.appDataFolder);
}

std::string CUsers::ComputerName() const {
  return computerName_.empty() ? CUsersCipher::LocalComputerName() : computerName_;
}

BOOL CUsers::SaveUser(const std::wstring& key, const std::wstring& value) {
  return RunUnderMutex(lastError, key, [&](const std::u16string& lowered) -> BOOL {
    const std::string computer = ComputerName();
    StoredUsers stored = ReadUsers(filePath, computer);
    std::u16string error;
    if (!SaveUserValue(stored.text.users, lowered, AsU16(value), error)) Fail(AsWide(error));
    WriteUsers(filePath, stored.text.users, computer, stored.text.state == UsersFileState::Damaged);
    return TRUE;
  });
}

BOOL CUsers::RemoveUser(const std::wstring& key) {
  return RunUnderMutex(lastError, key, [&](const std::u16string& lowered) -> BOOL {
    const std::string computer = ComputerName();
    std::u16string users = ReadExistingUsers(filePath, computer);
    std::u16string error;
    if (!RemoveUserValue(users, lowered, error)) Fail(AsWide(error));
    WriteUsers(filePath, users, computer, false);
    return TRUE;
  });
}

BOOL CUsers::FindUser(const std::wstring& key, std::wstring& value) {
  return RunUnderMutex(lastError, key, [&](const std::u16string& lowered) -> BOOL {
    const std::u16string users = ReadExistingUsers(filePath, ComputerName());
    std::u16string found;
    std::u16string error;
    if (!FindUserValue(users, lowered, found, error)) {
      if (!error.empty()) Fail(AsWide(error));
      return FALSE;
    }
    value = AsWide(found);
    return TRUE;
  });
}

}  // namespace zm::credentials
