#include "users_files.h"

#include <atomic>
#include <string>

namespace zm::credentials::test {

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ =
      std::wstring(temp) + L"zm-users-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  const std::wstring folder = path_ + L"\\Zavren Streaming";
  DeleteFileW((folder + L"\\clientusr.zms").c_str());
  DeleteFileW((folder + L"\\clientusr.zms.damaged").c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(path_.c_str());
}

}  // namespace zm::credentials::test
