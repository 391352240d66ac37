// Test helper: a private cache folder per test, and raw access to the cache file's bytes and
// its deciphered users string, to check what CUsers wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

// The file's bytes; nothing (and `exists` false) when it cannot be read.
std::vector<BYTE> ReadFileBytes(const std::wstring& path, bool* exists = nullptr);
void WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes);
// The file deciphered with the key of `computer`, widened from the ANSI code page.
std::u16string DecipherFile(const std::wstring& path, const char* computer = kThisComputer);

}  // namespace zm::credentials::test
