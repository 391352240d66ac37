#include "credentials/users.h"

#include <shlobj.h>

#include <string_view>
#include <utility>
#include <vector>

#include "com/unique_handle.h"
#include "credentials/users_cipher.h"
#include "credentials/users_string.h"

namespace zm::credentials {
namespace {

using com::UniqueHandle;

constexpr wchar_t kMutexName[] = L"ZavrenMediaClientUsersMutex";
constexpr DWORD kMutexWaitMs = 5000;
constexpr wchar_t kFolderName[] = L"\\Zavren Streaming";
constexpr wchar_t kFileName[] = L"\\clientusr.zms";
// Far beyond any real cache; a bigger file is not ours and is not read into memory.
constexpr LONGLONG kMaxFileBytes = 16 * 1024 * 1024;

// A failure inside an operation: its text becomes lastError at the operation's boundary.
struct UsersFailure {
  std::wstring text;
};

[[noreturn]] void Fail(std::wstring text) { throw UsersFailure{std::move(text)}; }

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Owns the named mutex while an operation runs.
class MutexHold {
 public:
  bool Take() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex_) return false;
    // An abandoned mutex is ours all the same; the file is rewritten whole, never patched.
    const DWORD wait = WaitForSingleObject(mutex_.get(), kMutexWaitMs);
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    return owned_;
  }
  ~MutexHold() {
    if (owned_) ReleaseMutex(mutex_.get());
  }

 private:
  UniqueHandle mutex_;
  bool owned_ = false;
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

UniqueHandle OpenHandle(const std::wstring& path, DWORD access, DWORD disposition, DWORD attributes) {
  HANDLE h = CreateFileW(path.c_str(), access, 0, nullptr, disposition, attributes, nullptr);
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

UniqueHandle OpenForReading(const std::wstring& path) {
  return OpenHandle(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

LONGLONG FileSize(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileBytes) Fail(L"ReadFile failed");
  return size.QuadPart;
}

std::vector<BYTE> ReadWhole(HANDLE file, LONGLONG size) {
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    Fail(L"ReadFile failed");
  }
  return bytes;
}

// The deciphered users string. A text that is not a sequence of well-formed records (a damaged
// file, or one enciphered on another computer) holds no record we could trust: it reads as empty,
// and the next save writes a valid file in its place.
std::u16string DecodeUsers(std::vector<BYTE> bytes, const std::string& computerName) {
  CUsersCipher cipher(computerName);
  if (!cipher.ok() || !cipher.Decipher(bytes)) Fail(L"Error decoding users string");
  const char* ansi = reinterpret_cast<const char*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0);
  if (wideLength <= 0) return std::u16string();  // not text in this code page: damaged
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, length, wide.data(), wideLength);
  std::u16string users = ToU16(wide);
  std::vector<UsersRecord> records;
  std::u16string ignored;
  if (!ParseUsersString(users, records, ignored)) users.clear();
  return users;
}

std::vector<BYTE> EncodeUsers(const std::u16string& users, const std::string& computerName) {
  const std::wstring wide = ToWide(users);
  std::vector<BYTE> bytes;
  if (!wide.empty()) {
    const int length = static_cast<int>(wide.size());
    const int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) Fail(L"Error encoding users string");
    bytes.resize(static_cast<size_t>(ansiLength));
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, reinterpret_cast<char*>(bytes.data()), ansiLength, nullptr,
                        nullptr);
  }
  CUsersCipher cipher(computerName);
  if (!cipher.ok() || !cipher.Encipher(bytes)) Fail(L"Error encoding users string");
  return bytes;
}

// Enciphered before the file is opened, so that a failing cipher leaves the old file whole.
void WriteUsers(const std::wstring& path, const std::u16string& users, const std::string& computerName) {
  const std::vector<BYTE> bytes = EncodeUsers(users, computerName);
  UniqueHandle file = OpenHandle(path, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
  if (!file) Fail(L"Can not open file for writing");
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    Fail(L"WriteFile failed");
  }
}

// The users string of an existing, non-empty file, for RemoveUser and FindUser.
std::u16string ReadExistingUsers(const std::wstring& path, const std::string& computerName) {
  UniqueHandle file = OpenForReading(path);
  if (!file) Fail(L"Can not open file");
  const LONGLONG size = FileSize(file.get());
  if (size == 0) Fail(L"The file is empty");
  return DecodeUsers(ReadWhole(file.get(), size), computerName);
}

// A key is stored in the ANSI code page: one that does not survive the trip would come back as
// another text ("?" for what the code page lacks) and could collide with another server's key.
void CheckKeyIsAnsi(const std::wstring& key) {
  if (key.empty()) return;
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, key.data(), static_cast<int>(key.size()), nullptr, 0, nullptr,
                      &lossy);
  if (lossy) Fail(L"Invalid user key: it cannot be written in the ANSI code page");
}

// Runs one operation under the mutex; failures raised inside end it with lastError set.
template <class Body>
BOOL RunUnderMutex(std::wstring& lastError, Body body) {
  MutexHold hold;
  if (!hold.Take()) return FALSE;
  try {
    return body();
  } catch (const UsersFailure& failure) {
    lastError = failure.text;
  } catch (...) {
    lastError = L"Unexpected error";
  }
  return FALSE;
}

}  // namespace

CUsers::CUsers() : CUsers(UsersEnvironment{}) {}

CUsers::CUsers(const UsersEnvironment& environment) : computerName_(environment.computerName) {
  filePath = BuildFilePath(environment.appDataFolder.empty() ? AppDataFolder() : environment.appDataFolder);
}

BOOL CUsers::SaveUser(const std::wstring& key, const std::wstring& value) {
  return RunUnderMutex(lastError, [&]() -> BOOL {
    const std::wstring lowered = LowerKey(key);
    CheckKeyIsAnsi(lowered);
    const std::string computer = computerName_.empty() ? CUsersCipher::LocalComputerName() : computerName_;
    std::u16string users;
    {
      UniqueHandle file = OpenForReading(filePath);
      if (file) {
        const LONGLONG size = FileSize(file.get());
        if (size > 0) users = DecodeUsers(ReadWhole(file.get(), size), computer);
      }
    }
    std::u16string error;
    if (!SaveUserValue(users, ToU16(lowered), ToU16(value), error)) Fail(ToWide(error));
    WriteUsers(filePath, users, computer);
    return TRUE;
  });
}

BOOL CUsers::RemoveUser(const std::wstring& key) {
  return RunUnderMutex(lastError, [&]() -> BOOL {
    const std::wstring lowered = LowerKey(key);
    CheckKeyIsAnsi(lowered);
    const std::string computer = computerName_.empty() ? CUsersCipher::LocalComputerName() : computerName_;
    std::u16string users = ReadExistingUsers(filePath, computer);
    std::u16string error;
    if (!RemoveUserValue(users, ToU16(lowered), error)) Fail(ToWide(error));
    WriteUsers(filePath, users, computer);
    return TRUE;
  });
}

BOOL CUsers::FindUser(const std::wstring& key, std::wstring& value) {
  return RunUnderMutex(lastError, [&]() -> BOOL {
    const std::wstring lowered = LowerKey(key);
    CheckKeyIsAnsi(lowered);
    const std::string computer = computerName_.empty() ? CUsersCipher::LocalComputerName() : computerName_;
    const std::u16string users = ReadExistingUsers(filePath, computer);
    std::u16string found;
    std::u16string error;
    if (!FindUserValue(users, ToU16(lowered), found, error)) {
      if (!error.empty()) Fail(ToWide(error));
      return FALSE;
    }
    value = ToWide(found);
    return TRUE;
  });
}

}  // namespace zm::credentials
