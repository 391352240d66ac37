// Test helper: runs the real zms-server on a free port of 127.0.0.1 and always stops it,
// and a plain client that sends a request and reads the reply's first bytes. Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zms::test {

class ServerProcess {
 public:
  // Starts the server with "--port 0" and the extra flags, and reads the port it prints.
  explicit ServerProcess(std::vector<std::string> flags = {});
  ~ServerProcess();  // kills the server if Stop was not called
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  uint16_t port() const { return port_; }
  // Sends the signal and waits (at most 10 s) for the exit; the exit status, or -1.
  int Stop(int signal);
  // What the server wrote to stderr so far (its log), for checks and failure messages.
  std::string Log() const;

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  std::string logPath_;
};

// Connects, sends `request` in one write and reads `count` bytes of the answer (fewer when
// the server closes first or 10 s pass). `elapsed` is the time from the write to the last byte.
std::vector<uint8_t> Exchange(uint16_t port, const std::string& request, size_t count,
                              std::chrono::milliseconds* elapsed = nullptr);

}  // namespace zms::test
