#include "users_files.h"

#include <atomic>

#include "com/code_page_text.h"
#include "com/unique_handle.h"
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
  DeleteFileW((folder + L"\\clientusr.zms.damaged").c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(path_.c_str());
}

static com::UniqueHandle Open(const std::wstring& path, DWORD access, DWORD disposition) {
  HANDLE file = CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_HIDDEN, nullptr);
  return com::UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path, bool* exists) {
  com::UniqueHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
  if (exists) *exists = static_cast<bool>(file);
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

std::u16string DecipherFile(const std::wstring& path, const char* computer) {
  std::vector<BYTE> bytes = ReadFileBytes(path);
  const auto cipher = CUsersCipher::Create(computer);
  if (!cipher || !cipher->Decipher(bytes)) return u"<undecipherable>";
  return com::AsU16(com::CodePageToWide({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, CP_ACP));
}

}  // namespace zm::credentials::test
