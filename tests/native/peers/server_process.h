// Test helper: runs the real zms-server on a free port of 127.0.0.1 and always stops it.
// Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zms::test {

class ServerProcess {
 public:
  // Starts the server with "--port 0" and the extra flags, and reads the ports it prints.
  explicit ServerProcess(std::vector<std::string> flags = {});
  ~ServerProcess();  // kills the server if Stop was not called
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool started() const { return port_ != 0; }
  uint16_t port() const { return port_; }
  uint16_t localPort() const { return localPort_; }
  // Sends the signal and waits (at most 10 s) for the exit; the exit status, or -1.
  int Stop(int signal);
  // What the server wrote to stderr so far (its log), for checks and failure messages.
  std::string Log() const;

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  uint16_t localPort_ = 0;
  std::string logPath_;
};

// Runs the server binary with the flags to its end (at most 10 s); stdout and exit status.
int RunServerToEnd(const std::vector<std::string>& flags, std::string* output);

}  // namespace zms::test
