// Runs zmhost.exe from the test program's folder with arguments, within a time limit, and
// collects its standard output and exit code.
#pragma once

#include <string>

namespace zm::tests {

struct HostRun {
  bool finished = false;  // false: it did not end within the limit and was terminated
  unsigned long exitCode = 0;
  std::string output;
};

HostRun RunHost(const std::wstring& arguments, unsigned long timeoutMs = 60000);

}  // namespace zm::tests
