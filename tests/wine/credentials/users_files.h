// Test helper: a private cache folder per test, so that no test touches the user's own cache.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "credentials/users.h"

namespace zm::credentials::test {

inline constexpr char kThisComputer[] = "TESTPC";
inline constexpr char kOtherComputer[] = "OTHERPC";

// A fresh folder under the temporary folder, removed with the cache files on destruction.
class ScratchFolder {
 public:
  ScratchFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ =
        std::wstring(temp) + L"zm-users-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    const std::wstring folder = path_ + L"\\Zavren Streaming";
    DeleteFileW((folder + L"\\clientusr.zms").c_str());
    DeleteFileW((folder + L"\\clientusr.zms.damaged").c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  UsersEnvironment Environment(const char* computer = kThisComputer) const { return {path_, computer}; }

 private:
  std::wstring path_;
};

}  // namespace zm::credentials::test
