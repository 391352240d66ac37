// Test helper: a private cache folder per test, so that no test touches the user's own cache.
#pragma once

#include <windows.h>

#include <string>

#include "credentials/users.h"

namespace zm::credentials::test {

inline constexpr char kThisComputer[] = "TESTPC";
inline constexpr char kOtherComputer[] = "OTHERPC";

// A fresh folder under the temporary folder, removed with the cache files on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  UsersEnvironment Environment(const char* computer = kThisComputer) const { return {path_, computer}; }

 private:
  std::wstring path_;
};

}  // namespace zm::credentials::test
