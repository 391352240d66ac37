#include "users_files.h"

#include <atomic>
#include <string>

#include "credentials/users_cipher.h"

namespace zm::credentials::test {

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"zm-users-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  const std::wstring folder = path_ + L"\\Zavren Streaming";
  DeleteFileW((folder + L"\\clientusr.zms").c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(path_.c_str());
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path, bool* exists) {
  std::vector<BYTE> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (exists) *exists = file != INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::u16string DecipherFile(const std::wstring& path, const char* computer) {
  std::vector<BYTE> bytes = ReadFileBytes(path);
  CUsersCipher cipher(computer);
  if (!cipher.ok() || !cipher.Decipher(bytes)) return u"<undecipherable>";
  std::u16string text;
  if (bytes.empty()) return text;
  const int length = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                                         static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                      wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace zm::credentials::test
